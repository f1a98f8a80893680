#include "pages/UiResources_win.h"

#include <cstring>
#include <variant>
#include <vector>

#include "winsupport/PackedResource_win.h"

namespace pelmora::pages {

namespace {

// Pixels of this colour let the background show through a picture.
constexpr COLORREF kTransparentKey = RGB(255, 0, 255);
constexpr COLORREF kMemoColour = RGB(255, 255, 221);
constexpr int kLinkFontIndex = 5;  // after the FontKinds

HFONT MakeFont(int pixelHeight, int weight, bool underline, const char* face) {
  return CreateFontA(-pixelHeight, 0, 0, 0, weight, FALSE, underline, FALSE, DEFAULT_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_DONTCARE, face);
}

const char* ResourceName(Picture picture) {
  switch (picture) {
    case Picture::WizardStrip:
      return "WIZARD";
    case Picture::Header:
      return "HEADER";
    case Picture::AboutLogo:
      return "ABOUTLOGO";
    case Picture::InstallBox:
      return "INSTALLBOX";
    case Picture::InstallArrow:
      return "INSTALLARROW";
    case Picture::InstallPc:
      return "INSTALLPC";
    case Picture::None:
      break;
  }
  return nullptr;
}

// The picture with the key colour left out, at its own size, without the
// imaging library Windows 2000 keeps apart: a monochrome mask blanks the
// picture's place, then the picture with its key pixels blackened is added.
void DrawKeyed(HDC dc, HBITMAP bitmap, int w, int h, POINT at) {
  // Declared before the contexts: a bitmap goes only once no context holds it.
  const win::GdiObject mask(CreateBitmap(w, h, 1, 1, nullptr));
  const win::GdiObject copy(CreateCompatibleBitmap(dc, w, h));
  const win::MemoryDc source(CreateCompatibleDC(dc));
  const win::MemoryDc maskDc(CreateCompatibleDC(dc));
  const win::MemoryDc work(CreateCompatibleDC(dc));
  if (!mask || !copy || !source || !maskDc || !work) return;
  const win::SelectedObject sourceSelection = win::Select(source.Get(), bitmap);
  const win::SelectedObject maskSelection = win::Select(maskDc.Get(), mask.Get());
  const win::SelectedObject workSelection = win::Select(work.Get(), copy.Get());
  SetBkColor(source.Get(), kTransparentKey);
  BitBlt(maskDc.Get(), 0, 0, w, h, source.Get(), 0, 0, SRCCOPY);  // key -> 1, rest -> 0
  BitBlt(work.Get(), 0, 0, w, h, source.Get(), 0, 0, SRCCOPY);
  SetBkColor(work.Get(), RGB(0, 0, 0));
  SetTextColor(work.Get(), RGB(255, 255, 255));
  BitBlt(work.Get(), 0, 0, w, h, maskDc.Get(), 0, 0, SRCAND);  // key pixels to black
  SetBkColor(dc, RGB(255, 255, 255));
  SetTextColor(dc, RGB(0, 0, 0));
  BitBlt(dc, at.x, at.y, w, h, maskDc.Get(), 0, 0, SRCAND);
  BitBlt(dc, at.x, at.y, w, h, work.Get(), 0, 0, SRCPAINT);
}

// A picture of the program's resources, a BMP file packed (common/Packing.h;
// resource type "PICTURE": packed, the six take 16 KB instead of 36 KB), as
// a bitmap of the screen's format, which is what the pictures' run-length
// coding allows. Nothing when it is missing or damaged.
HBITMAP LoadPicture(HINSTANCE instance, const char* name) {
  const auto loaded = winsupport::LoadPackedResource(instance, name, "PICTURE");
  const auto* file = std::get_if<std::vector<unsigned char>>(&loaded);
  BITMAPFILEHEADER header{};
  if (!file || file->size() < sizeof header + sizeof(BITMAPINFOHEADER)) return nullptr;
  std::memcpy(&header, file->data(), sizeof header);
  if (header.bfOffBits < sizeof header + sizeof(BITMAPINFOHEADER) || header.bfOffBits >= file->size())
    return nullptr;
  // The rest of the file in a buffer of its own, where the header is aligned.
  const std::vector<unsigned char> rest(file->begin() + sizeof header, file->end());
  const auto* info = reinterpret_cast<const BITMAPINFO*>(rest.data());
  const win::WindowDc screen = win::DcOf(nullptr);
  return CreateDIBitmap(screen.Get().dc, &info->bmiHeader, CBM_INIT,
                        rest.data() + (header.bfOffBits - sizeof header), info, DIB_RGB_COLORS);
}

}  // namespace

void DrawPicture(HDC dc, HBITMAP bitmap, int left, int top, common::DpiScale scale) {
  BITMAP info{};
  if (!bitmap || !GetObjectA(bitmap, sizeof info, &info)) return;
  const int w = info.bmWidth, h = info.bmHeight;
  if (scale.IsLayoutDpi()) {
    DrawKeyed(dc, bitmap, w, h, {left, top});
    return;
  }
  // Stretching a mask would fray its edges: the picture is first laid on
  // the face colour at its own size, and that is stretched with averaging.
  const win::GdiObject flat(CreateCompatibleBitmap(dc, w, h));
  const win::MemoryDc flatDc(CreateCompatibleDC(dc));
  if (!flat || !flatDc) return;
  const win::SelectedObject flatSelection = win::Select(flatDc.Get(), flat.Get());
  const RECT whole{0, 0, w, h};
  FillRect(flatDc.Get(), &whole, GetSysColorBrush(COLOR_BTNFACE));
  DrawKeyed(flatDc.Get(), bitmap, w, h, {0, 0});
  const int previousMode = SetStretchBltMode(dc, HALFTONE);
  POINT previousOrigin{};
  SetBrushOrgEx(dc, 0, 0, &previousOrigin);  // as HALFTONE asks
  const common::Edges place = scale.Box(left, top, w, h);
  StretchBlt(dc, place.left, place.top, place.Width(), place.Height(), flatDc.Get(), 0, 0, w, h,
             SRCCOPY);
  SetBrushOrgEx(dc, previousOrigin.x, previousOrigin.y, nullptr);
  SetStretchBltMode(dc, previousMode);
}

UiResources::UiResources(HINSTANCE instance) : instance_(instance) {
  // The pictures are run-length coded, which a DIB section cannot hold:
  // they are made bitmaps of the screen's format instead.
  for (int p = 1; p < static_cast<int>(bitmaps_.size()); ++p)
    bitmaps_[p].Reset(LoadPicture(instance, ResourceName(static_cast<Picture>(p))));
  white_.Reset(CreateSolidBrush(RGB(255, 255, 255)));
  memo_.Reset(CreateSolidBrush(kMemoColour));
}

const UiResources::FontSet& UiResources::FontsFor(common::DpiScale scale) const {
  for (const FontSet& set : fontSets_)
    if (set.dpi == scale.Dpi()) return set;
  constexpr const char* kDialogFace = "MS Sans Serif";
  FontSet& set = fontSets_.emplace_back();
  set.dpi = scale.Dpi();
  set.fonts[static_cast<int>(FontKind::Normal)].Reset(MakeFont(scale(11), FW_NORMAL, false, kDialogFace));
  set.fonts[static_cast<int>(FontKind::Bold)].Reset(MakeFont(scale(11), FW_BOLD, false, kDialogFace));
  set.fonts[static_cast<int>(FontKind::Title24)].Reset(MakeFont(scale(24), FW_NORMAL, false, "Arial"));
  set.fonts[static_cast<int>(FontKind::Title18)].Reset(MakeFont(scale(18), FW_NORMAL, false, "Arial"));
  set.fonts[static_cast<int>(FontKind::Heading16)].Reset(MakeFont(scale(16), FW_NORMAL, false, "Arial"));
  set.fonts[kLinkFontIndex].Reset(MakeFont(scale(11), FW_NORMAL, true, kDialogFace));
  return set;
}

HFONT UiResources::Font(FontKind kind, common::DpiScale scale) const {
  return static_cast<HFONT>(FontsFor(scale).fonts[static_cast<int>(kind)].Get());
}

HFONT UiResources::LinkFont(common::DpiScale scale) const {
  return static_cast<HFONT>(FontsFor(scale).fonts[kLinkFontIndex].Get());
}

HBITMAP UiResources::Bitmap(Picture picture) const {
  return static_cast<HBITMAP>(bitmaps_[static_cast<int>(picture)].Get());
}

}  // namespace pelmora::pages
