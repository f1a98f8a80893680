#!/bin/bash
# usage: make-artwork.sh [wizard|header|about|install|icon]...
# Draws the setup wizard's pictures into app/res/art/ and the program icon
# app/res/pelmora.ico. Only ImageMagick's convert and an installed DejaVu Sans
# font are needed; the results are committed, so the build never runs this.
#
# Every picture is an uncompressed 8-bit palettised BMP3 (BITMAPINFOHEADER),
# which LoadImage reads on every Windows from 2000 on. Pictures shown over the
# dialog's button face use pure magenta (255,0,255) for "transparent": a pixel
# is either fully magenta or opaque, and opaque edge pixels are blended towards
# light grey, never towards magenta, so no pink fringe can show.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
art=$root/app/res/art
icon=$root/app/res/pelmora.ico

command -v convert >/dev/null || { echo "make-artwork.sh: ImageMagick's convert is not installed" >&2; exit 1; }
font_bold=$(fc-match -f '%{file}' 'DejaVu Sans:bold' 2>/dev/null || true)
case $font_bold in
  *DejaVuSans-Bold.ttf) ;;
  *) echo "make-artwork.sh: the font DejaVu Sans Bold is not installed (fc-match gave '$font_bold')" >&2; exit 1 ;;
esac

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$art"

# Brand colours, shared by every picture.
navy='#0C2A55'   # outlines, the word mark
blue='#1A4C8E'   # the emblem's shaded side
teal='#2A9FA9'   # the emblem's lit side
paper='#EEF7F8'  # the emblem's lid
amber='#F5B437'  # the parcel tape, the arrow
amber_dark='#D98A1C'
panel_grey='#F0F0F0' # what keyed edges are blended towards
# the wizard strip's gradient, from its top left over top right and bottom
# left to bottom right; the monitor's screen repeats its first three
night='#0A2150' dusk='#133D78' lagoon='#17808C' shallows='#1C6F93'

# Shapes are drawn this many times larger and then averaged down, which gives
# even anti-aliasing on the slanted edges at every target size.
ss=8

# emblem SIZE OUTLINE_PX LETTER OUT
# The product's emblem: an isometric parcel with tape over lid and right side,
# and (LETTER=P; "-" for none) a "P" on its left side, sheared to lie in that
# side's plane.
# OUTLINE_PX is the outline's width at SIZE. Written with alpha.
emblem() {
  local size=$1 outline=$2 letter=$3 out=$4
  local n=$((size * ss))
  local sw
  sw=$(awk -v o="$outline" -v s="$ss" 'BEGIN { print o * s }')
  local geometry
  geometry=$(awk -v n="$n" -v sw="$sw" 'BEGIN {
    c = n / 2; R = n / 2 - sw / 2 - n * 0.01; k = 0.8660254 * R
    tx = c; ty = c - R; urx = c + k; ury = c - R / 2; lrx = c + k; lry = c + R / 2
    bx = c; by = c + R; llx = c - k; lly = c + R / 2; ulx = c - k; uly = c - R / 2
    # the tape runs across the lid between the midpoints of two opposite
    # edges, then straight down the right side
    hw = R * 0.12; dx = hw * 0.8660254; dy = -hw * 0.5
    m1x = (ulx + tx) / 2; m1y = (uly + ty) / 2
    m2x = (c + urx) / 2;  m2y = (c + ury) / 2
    m3x = (bx + lrx) / 2; m3y = (by + lry) / 2
    f = "%.2f,%.2f "
    printf "lid=\""   f f f f "\"\n", tx, ty, urx, ury, c, c, ulx, uly
    printf "left=\""  f f f f "\"\n", ulx, uly, c, c, bx, by, llx, lly
    printf "right=\"" f f f f "\"\n", c, c, urx, ury, lrx, lry, bx, by
    printf "tape_lid=\""   f f f f "\"\n", m1x-dx, m1y-dy, m1x+dx, m1y+dy, m2x+dx, m2y+dy, m2x-dx, m2y-dy
    printf "tape_side=\""  f f f f "\"\n", m2x-dx, m2y-dy, m2x+dx, m2y+dy, m3x+dx, m3y+dy, m3x-dx, m3y-dy
    printf "hull=\""  f f f f f f "\"\n", tx, ty, urx, ury, lrx, lry, bx, by, llx, lly, ulx, uly
    printf "ridge=\"" f f f "\"\n", ulx, uly, c, c, urx, ury
    printf "spine=\"" f f "\"\n", c, c, bx, by
    # where the letter box lands on the left side, in that side'"'"'s own
    # coordinates u (along the lid edge) and v (downwards)
    u0 = 0.27; u1 = 0.73; v0 = 0.22; v1 = 0.78
    printf "letter_box=\"%.2f %.2f %.2f %.2f %.2f %.2f\"\n", \
      ulx + u0 * k, uly + u0 * R / 2 + v0 * R, ulx + u1 * k, uly + u1 * R / 2 + v0 * R, \
      ulx + u0 * k, uly + u0 * R / 2 + v1 * R
  }')
  local lid left right tape_lid tape_side hull ridge spine letter_box
  eval "$geometry"

  convert -size "${n}x${n}" xc:none -stroke none \
    -fill "$paper" -draw "polygon $lid" \
    -fill "$teal" -draw "polygon $left" \
    -fill "$blue" -draw "polygon $right" \
    -fill "$amber" -draw "polygon $tape_lid" \
    -fill "$amber_dark" -draw "polygon $tape_side" \
    "$work/emblem-faces.png"

  if [ "$letter" = P ]; then
    local pointsize=$((n * 6 / 10)) w h x y x0 y0 x1 y1 x2 y2
    read -r w h x y < <(convert -size "${n}x${n}" xc:none -font "$font_bold" -pointsize "$pointsize" \
      -gravity center -fill white -annotate +0+0 P -trim -format '%w %h %X %Y\n' info:)
    x=${x#+} y=${y#+}
    read -r x0 y0 x1 y1 x2 y2 <<<"$letter_box"
    convert "$work/emblem-faces.png" \
      \( -size "${n}x${n}" xc:none -font "$font_bold" -pointsize "$pointsize" \
         -gravity center -fill white -annotate +0+0 P -gravity northwest \
         -virtual-pixel transparent \
         -distort Affine "$x,$y $x0,$y0  $((x + w)),$y $x1,$y1  $x,$((y + h)) $x2,$y2" \) \
      -compose over -composite "$work/emblem-faces.png"
  fi

  # a soft light from above keeps the flat faces from looking pasted on
  convert "$work/emblem-faces.png" \
    \( -size "${n}x${n}" gradient:'rgba(255,255,255,0.22)'-'rgba(255,255,255,0)' \) \
    -compose atop -composite \
    -fill none -stroke "$navy" -strokewidth "$sw" -compose over \
    -draw "stroke-linejoin round polygon $hull" \
    -draw "stroke-linejoin round stroke-linecap round polyline $ridge" \
    -draw "stroke-linecap round line $spine" \
    -scale "${size}x${size}" "$out"
}

# write_opaque_bmp IN OUT: quantise an opaque picture to 256 colours.
write_opaque_bmp() {
  convert "$1" -alpha off +dither -colors 256 -type Palette -compress RLE "BMP3:$2"
}

# write_keyed_bmp IN OUT: IN has alpha. Pixels at least 40 % covered become
# opaque, blended towards the light panel grey; the rest become pure magenta.
# The opaque part is quantised first, so magenta stays exact and no
# quantisation step can invent a near-magenta colour.
write_keyed_bmp() {
  local in=$1 out=$2
  convert "$in" -background "$panel_grey" -alpha remove -alpha off \
    +dither -colors 255 "$work/keyed-opaque.png"
  convert "$in" -alpha extract -threshold 40% -negate "$work/keyed-hole.png"
  convert "$work/keyed-opaque.png" \
    \( +clone -fill magenta -colorize 100% \) "$work/keyed-hole.png" \
    -composite -alpha off -type Palette -compress RLE "BMP3:$out"
}

# check_bmp FILE WIDTH HEIGHT [COMPRESSION]: fails unless FILE is an 8-bit
# BMP3 of the given size, run-length coded (1, BI_RLE8: the pictures, which
# shrink to a third) or, given 0, uncompressed (the icon's images must be);
# for keyed pictures also unless every pinkish pixel is exact magenta.
check_bmp() {
  local file=$1 width=$2 height=$3 expected_compression=${4:-1}
  local found
  found=$(identify -format '%m %w %h' "BMP3:$file")
  [ "$found" = "BMP3 $width $height" ] || { echo "$file: $found, expected BMP3 $width $height" >&2; exit 1; }
  # BITMAPINFOHEADER: size 40 at offset 14, biBitCount at 28, biCompression at 30
  local header_size bits compression
  header_size=$(od -An -tu4 -j14 -N4 "$file" | tr -d ' ')
  bits=$(od -An -tu2 -j28 -N2 "$file" | tr -d ' ')
  compression=$(od -An -tu4 -j30 -N4 "$file" | tr -d ' ')
  [ "$header_size" = 40 ] && [ "$bits" = 8 ] && [ "$compression" = "$expected_compression" ] ||
    { echo "$file: header $header_size, $bits bits, compression $compression; expected 40, 8, $expected_compression" >&2; exit 1; }
  local fringe
  fringe=$(convert "$file" -fx '(r == 1 && g == 0 && b == 1) ? 0 : (r - g > 0.25 && b - g > 0.25)' \
    -format '%[fx:round(mean * w * h)]' info:)
  [ "$fringe" = 0 ] || { echo "$file: $fringe pink pixels next to the magenta key" >&2; exit 1; }
  echo "$file: ${width}x${height}, 8-bit BMP3, $(stat -c %s "$file") bytes"
}

# The left strip of the welcome and finished pages: a calm night-blue to teal
# gradient, soft light circles, the emblem resting on a faint glow, and the
# word mark small at the foot.
make_wizard() {
  local w=164 h=300 e=96
  local ex=$(((w - e) / 2)) ey=62
  emblem "$e" 2.5 P "$work/wizard-emblem.png"
  convert -size "${w}x${h}" xc: \
    -sparse-color Barycentric "0,0 $night  $((w - 1)),0 $dusk  0,$((h - 1)) $lagoon  $((w - 1)),$((h - 1)) $shallows" \
    \( -size "${w}x${h}" xc:none \
       -fill 'rgba(255,255,255,0.05)' -draw "circle 150,250 150,120" \
       -fill 'rgba(255,255,255,0.04)' -draw "circle 10,40 10,-70" \
       -fill none -stroke 'rgba(255,255,255,0.10)' -strokewidth 1 \
       -draw "circle 82,110 82,34" -draw "circle 82,110 82,14" \
       -stroke 'rgba(255,255,255,0.06)' -draw "circle 82,110 82,-8" \) \
    -compose over -composite \
    \( -size "${w}x${h}" xc:none -fill 'rgba(255,255,255,0.16)' -draw "circle 82,110 82,48" -blur 0x18 \) \
    -compose over -composite \
    \( -size "${w}x${h}" xc:none -fill 'rgba(0,0,0,0.32)' -draw "ellipse 82,163 34,5 0,360" -blur 0x4 \) \
    -compose over -composite \
    "$work/wizard-emblem.png" -geometry "+$ex+$ey" -compose over -composite \
    -font "$font_bold" -pointsize 15 -kerning 1 -fill white -gravity south -annotate +0+22 Pelmora \
    \( -size 40x1 xc:'rgba(255,255,255,0.45)' \) -gravity south -geometry +0+47 -compose over -composite \
    "$work/wizard.png"
  write_opaque_bmp "$work/wizard.png" "$art/wizard.bmp"
  check_bmp "$art/wizard.bmp" "$w" "$h"
}

# The band across the top of the inner pages. The program writes the page
# title in black over the left 330 pixels, so those stay white; the right end
# fades into a pale teal that holds the emblem, and a fine line closes the
# band at the bottom.
make_header() {
  local w=495 h=50 e=40
  local fade_from=330
  emblem "$e" 1.5 P "$work/header-emblem.png"
  convert -size "${w}x${h}" xc:white \
    \( -size "${h}x$((w - fade_from))" gradient:white-"#C4E2EA" -rotate -90 \) \
    -geometry "+${fade_from}+0" -compose over -composite \
    \( -size "${w}x${h}" xc:none \
       -fill 'rgba(255,255,255,0.35)' -draw "circle 520,70 520,-2" \
       -fill none -stroke 'rgba(42,159,169,0.24)' -strokewidth 1 \
       -draw "circle 466,24 466,-6" -draw "circle 466,24 466,-22" \) \
    -compose over -composite \
    "$work/header-emblem.png" -geometry "+$((w - e - 12))+3" -compose over -composite \
    \( -size "1x${w}" gradient:'#DCE4EA'-"$teal" -rotate -90 \) -geometry "+0+$((h - 2))" -compose over -composite \
    \( -size "${w}x1" xc:white \) -geometry "+0+$((h - 1))" -compose over -composite \
    "$work/header.png"
  write_opaque_bmp "$work/header.png" "$art/header.bmp"
  check_bmp "$art/header.bmp" "$w" "$h"
}

# The about box's logo, over the button face: the emblem and the word mark.
make_about() {
  local w=194 h=105 e=68 gap=8
  emblem "$e" 2 P "$work/about-emblem.png"
  convert -background none -font "$font_bold" -pointsize 23 -fill "$navy" label:Pelmora \
    -trim +repage "$work/about-word.png"
  local tw th
  read -r tw th < <(identify -format '%w %h\n' "$work/about-word.png")
  # emblem and word centred as one group; the word sits a little above the
  # emblem's middle, with a short tape-coloured rule beneath it
  local x=$(((w - e - gap - tw) / 2)) ey=$(((h - e) / 2))
  local tx=$((x + e + gap)) ty=$((h / 2 - th + 2))
  convert -size "${w}x${h}" xc:none \
    "$work/about-emblem.png" -geometry "+$x+$ey" -compose over -composite \
    "$work/about-word.png" -geometry "+$tx+$ty" -compose over -composite \
    -fill "$amber" -draw "rectangle $tx,$((ty + th + 7)) $((tx + 35)),$((ty + th + 8))" \
    "$work/about.png"
  write_keyed_bmp "$work/about.png" "$art/about.bmp"
  check_bmp "$art/about.bmp" "$w" "$h"
}

# install_arrow OUT: a downward arrow, 40 x 24, in the tape's amber.
install_arrow() {
  local w=40 h=24 s=$ss
  local outline
  outline="$((15 * s)),$((1 * s)) $((25 * s)),$((1 * s)) $((25 * s)),$((11 * s)) $((32 * s)),$((11 * s))"
  outline+=" $((20 * s)),$((23 * s)) $((8 * s)),$((11 * s)) $((15 * s)),$((11 * s))"
  convert -size "$((w * s))x$((h * s))" xc:none \
    -fill "$amber" -stroke none -draw "polygon $outline" \
    \( -size "$((w * s))x$((h * s))" gradient:'rgba(255,255,255,0.35)'-'rgba(255,255,255,0)' \) \
    -compose atop -composite -compose over \
    -fill none -stroke "$navy" -strokewidth $((s * 3 / 2)) -draw "stroke-linejoin round polygon $outline" \
    -scale "${w}x${h}" "$1"
}

# install_computer OUT: a monitor, 40 x 40, whose screen shows the strip's
# gradient.
install_computer() {
  local n=$((40 * ss)) s=$ss
  local o=$((s * 3 / 2))
  convert -size "${n}x${n}" xc:none -stroke "$navy" -strokewidth "$o" \
    -fill '#AAB6C2' -draw "stroke-linejoin round polygon $((16 * s)),$((29 * s)) $((24 * s)),$((29 * s)) $((25 * s)),$((34 * s)) $((15 * s)),$((34 * s))" \
    -fill '#D5DDE4' -draw "roundrectangle $((8 * s)),$((33 * s)) $((32 * s)),$((38 * s)) $((2 * s)),$((2 * s))" \
    -fill '#E6ECF1' -draw "roundrectangle $((2 * s)),$((3 * s)) $((38 * s)),$((30 * s)) $((3 * s)),$((3 * s))" \
    \( -size $((30 * s))x$((21 * s)) xc: \
       -sparse-color Barycentric "0,0 $night  $((30 * s - 1)),0 $dusk  0,$((21 * s - 1)) $lagoon" \
       -fill 'rgba(255,255,255,0.18)' -stroke none \
       -draw "polygon 0,0 $((14 * s)),0 $((5 * s)),$((21 * s)) 0,$((21 * s))" \) \
    -geometry "+$((5 * s))+$((6 * s))" -compose over -composite \
    -fill none -stroke "$navy" -strokewidth "$s" \
    -draw "rectangle $((5 * s)),$((6 * s)) $((35 * s)),$((27 * s))" \
    -scale 40x40 "$1"
}

# The three decorations of the installation page, from archive to computer.
make_install() {
  emblem 40 1.5 P "$work/install-box.png"
  write_keyed_bmp "$work/install-box.png" "$art/install-box.bmp"
  check_bmp "$art/install-box.bmp" 40 40
  install_arrow "$work/install-arrow.png"
  write_keyed_bmp "$work/install-arrow.png" "$art/install-arrow.bmp"
  check_bmp "$art/install-arrow.bmp" 40 24
  install_computer "$work/install-pc.png"
  write_keyed_bmp "$work/install-pc.png" "$art/install-pc.bmp"
  check_bmp "$art/install-pc.bmp" 40 40
}

# le16/le32 VALUE: the value's bytes, least significant first.
le16() { printf '%b' "$(printf '\\x%02x\\x%02x' $(($1 & 255)) $(($1 >> 8 & 255)))"; }
le32() { le16 $(($1 & 65535)); le16 $(($1 >> 16 & 65535)); }

# icon_image SIZE OUTLINE_PX LETTER OUT: one icon image, the DIB that an .ico
# holds. Windows 2000 draws no alpha icons, so it is 8-bit with a 1-bit mask:
# pixels at least half covered keep their own colour (no halo on any desktop),
# the rest are black under a set mask bit.
icon_image() {
  local size=$1 outline=$2 letter=$3 out=$4
  emblem "$size" "$outline" "$letter" "$work/icon.png"
  convert "$work/icon.png" -alpha extract -threshold 50% "$work/icon-cover.png"
  convert "$work/icon.png" -alpha off +dither -colors 255 \
    \( +clone -fill black -colorize 100% \) \( "$work/icon-cover.png" -negate \) -composite \
    -type Palette -compress none "BMP3:$work/icon.bmp"
  check_bmp "$work/icon.bmp" "$size" "$size" 0 >/dev/null
  # the mask: bottom-up like the colour rows, a set bit where the desktop
  # shows through, each row padded to 32 bits
  local padded=$(((size + 31) / 32 * 32))
  local mask_bytes=$((padded * size / 8))
  # (binary PBM: its rows are these bits, black for set, after a short header)
  convert "$work/icon-cover.png" -flip -background black -extent "${padded}x${size}" "PBM:-" |
    tail -c "$mask_bytes" >"$work/icon-mask.bin"
  local colour_bytes=$((size * size))
  tail -c +15 "$work/icon.bmp" >"$out"
  # an icon's DIB counts the colour rows and the mask rows in its height
  le32 $((2 * size)) | dd of="$out" bs=1 seek=8 conv=notrunc status=none
  le32 $((colour_bytes + mask_bytes)) | dd of="$out" bs=1 seek=20 conv=notrunc status=none
  cat "$work/icon-mask.bin" >>"$out"
}

# The program icon: the emblem at 16 (plain parcel), 32 and 48 pixels.
make_icon() {
  icon_image 16 1 - "$work/icon16.dib"
  icon_image 32 1.5 P "$work/icon32.dib"
  icon_image 48 2 P "$work/icon48.dib"
  local images=("$work/icon16.dib" "$work/icon32.dib" "$work/icon48.dib") sizes=(16 32 48)
  local offset=$((6 + 16 * ${#images[@]})) i
  {
    le16 0; le16 1; le16 ${#images[@]}
    for i in "${!images[@]}"; do
      local bytes
      bytes=$(stat -c %s "${images[i]}")
      printf '%b' "$(printf '\\x%02x\\x%02x' "${sizes[i]}" "${sizes[i]}")"
      le16 0; le16 1; le16 8; le32 "$bytes"; le32 "$offset"
      offset=$((offset + bytes))
    done
    cat "${images[@]}"
  } >"$icon"
  check_icon "$icon" "${sizes[@]}"
}

# check_icon FILE SIZE...: fails unless FILE holds 8-bit images of exactly
# these sizes, is readable as an icon and stays under 10 KB.
check_icon() {
  local file=$1
  shift
  local expected="$*" found
  found=$(identify -format '%w ' "ICO:$file")
  [ "$found" = "$expected " ] || { echo "$file: sizes $found, expected $expected" >&2; exit 1; }
  local i bits header_bits
  for i in $(seq 0 $(($# - 1))); do
    bits=$(od -An -tu2 -j$((6 + 16 * i + 6)) -N2 "$file" | tr -d ' ')
    header_bits=$(od -An -tu2 -j$(($(od -An -tu4 -j$((6 + 16 * i + 12)) -N4 "$file") + 14)) -N2 "$file" | tr -d ' ')
    [ "$bits" = 8 ] && [ "$header_bits" = 8 ] || { echo "$file: image $i has $bits/$header_bits bits, expected 8" >&2; exit 1; }
  done
  local bytes
  bytes=$(stat -c %s "$file")
  [ "$bytes" -lt 10240 ] || { echo "$file: $bytes bytes, over 10 KB" >&2; exit 1; }
  echo "$file: $expected, 8-bit with mask, $bytes bytes"
}

pictures=(wizard header about install icon)
for picture in "${@:-${pictures[@]}}"; do
  case " ${pictures[*]} " in
    *" $picture "*) "make_$picture" ;;
    *) echo "make-artwork.sh: no picture '$picture' (known: ${pictures[*]})" >&2; exit 1 ;;
  esac
done
