// Choosing the segments of an ACE 2.0 member.
#include <algorithm>
#include <cstring>

#include "acewriter/encode/BlockedStream.h"
#include "acewriter/encode/Filters.h"
#include "acewriter/encode/LzBlockCoder.h"
#include "acewriter/encode/PeSections.h"
#include "acewriter/encode/PicEncoder.h"

namespace pelmora::acewriter::encode {
namespace {

std::uint32_t Le(std::span<const std::uint8_t> d, std::size_t at, int n) {
  std::uint32_t v = 0;
  for (int i = n; i-- > 0;) v = v << 8 | d[at + static_cast<std::size_t>(i)];
  return v;
}

// DELTA's longest chunk (17 bits).
constexpr std::size_t kMaxDeltaLength = 131071;

Segment Lz77Part(std::size_t length) {
  Segment s;
  s.length = length;
  return s;
}

// Plans `mode` for data[begin, begin + length) and LZ77 for what the mode's
// rules leave over; appends to `plan`.
void PlanStretch(std::span<const std::uint8_t> data, std::size_t begin, std::size_t length,
                 Segment mode, std::vector<Segment>& plan) {
  const bool endsMember = begin + length == data.size();
  std::size_t usable = 0;
  switch (mode.mode) {
    case BlockedMode::Exe:
      usable = length;
      while (usable > 0 && !ExeSegmentMayEnd(data.subspan(begin, usable))) --usable;
      break;
    case BlockedMode::Delta:
      usable = length - length % mode.deltaLength;
      break;
    case BlockedMode::Sound:
      usable = length & ~std::size_t{3};
      // Readers need at least 4 bytes after a SOUND segment that does not
      // end the member.
      if ((usable != length || !endsMember) && data.size() - (begin + usable) < 4)
        usable = usable >= 4 ? usable - 4 : 0;
      break;
    case BlockedMode::Pic:
      usable = endsMember ? length : length - length % mode.picWidth;
      break;
    default:
      usable = 0;
  }
  if (usable > 0) {
    mode.length = usable;
    plan.push_back(mode);
  }
  if (usable < length) plan.push_back(Lz77Part(length - usable));
}

bool LooksLikeCode(std::span<const std::uint8_t> d, std::size_t begin, std::size_t end) {
  return RegionLooksLikeCode(d.subspan(begin, end - begin), begin, d.size());
}

// Alternating LZ77 and EXE segments along the code-like regions.
void PlanCodeRegions(std::span<const std::uint8_t> data, Segment exe, std::vector<Segment>& plan) {
  std::size_t begin = 0;
  bool code = LooksLikeCode(data, 0, std::min(kCodeRegionBytes, data.size()));
  for (std::size_t at = kCodeRegionBytes;; at += kCodeRegionBytes) {
    const bool done = at >= data.size();
    const bool nextCode =
        !done && LooksLikeCode(data, at, std::min(at + kCodeRegionBytes, data.size()));
    if (done || nextCode != code) {
      const std::size_t end = std::min(at, data.size());
      if (code) {
        const std::size_t before = plan.size();
        PlanStretch(data, begin, end - begin, exe, plan);
        // A cut CALL at the end went to an LZ77 remainder; let the next
        // stretch start with it instead.
        if (!done && plan.size() == before + 2) {
          begin = end - plan.back().length;
          plan.pop_back();
        } else {
          begin = end;
        }
      } else {
        plan.push_back(Lz77Part(end - begin));
        begin = end;
      }
      code = nextCode;
    }
    if (done) break;
  }
}

// A Windows program section by section: machine code in EXE mode, tables
// of records in DELTA mode (one chunk per section, its bytes regrouped by
// their place in the record: x86-64 programs 0.3 %, i686 ones 0.5 %
// smaller), the rest (resources, data, debug information) in LZ77.
void PlanPeSections(std::span<const std::uint8_t> data, const std::vector<PeSection>& sections,
                    Segment mode, std::vector<Segment>& plan) {
  std::vector<Segment> parts;
  std::size_t at = 0;
  for (const PeSection& section : sections) {
    const auto begin = static_cast<std::size_t>(section.begin);
    const auto length = static_cast<std::size_t>(section.length);
    if (begin > at) parts.push_back(Lz77Part(begin - at));
    at = begin + length;
    Segment s = mode;
    if (section.kind == PeSectionKind::Code) {
      s.mode = BlockedMode::Exe;
      s.exeMode = 1;
    } else if (section.kind == PeSectionKind::Records) {
      s.mode = BlockedMode::Delta;
      s.deltaDistance = static_cast<std::uint8_t>(section.recordBytes);
      const std::size_t chunk = std::min<std::size_t>(length, kMaxDeltaLength);
      s.deltaLength = static_cast<std::uint32_t>(chunk - chunk % s.deltaDistance);
    }
    if (s.mode == BlockedMode::Lz77 || (s.mode == BlockedMode::Delta && s.deltaLength == 0))
      parts.push_back(Lz77Part(length));
    else
      PlanStretch(data, begin, length, s, parts);
  }
  if (at < data.size()) parts.push_back(Lz77Part(data.size() - at));
  // Neighbouring LZ77 parts are one stretch, which matches may cross.
  for (const Segment& s : parts) {
    if (!plan.empty() && s.mode == BlockedMode::Lz77 && plan.back().mode == BlockedMode::Lz77)
      plan.back().length += s.length;
    else
      plan.push_back(s);
  }
}

// A PCM WAV file: where its samples are and which SOUND layout fits them.
bool FindWaveSamples(std::span<const std::uint8_t> d, std::size_t& begin, std::size_t& length,
                     SoundLayout& layout) {
  if (d.size() < 44 || std::memcmp(d.data(), "RIFF", 4) != 0 ||
      std::memcmp(d.data() + 8, "WAVE", 4) != 0)
    return false;
  unsigned channels = 0, bits = 0;
  for (std::size_t at = 12; at + 8 <= d.size();) {
    const std::uint32_t size = Le(d, at + 4, 4);
    if (std::memcmp(d.data() + at, "fmt ", 4) == 0 && size >= 16 && at + 8 + 16 <= d.size()) {
      if (Le(d, at + 8, 2) != 1) return false;  // not PCM
      channels = Le(d, at + 10, 2);
      bits = Le(d, at + 22, 2);
    } else if (std::memcmp(d.data() + at, "data", 4) == 0) {
      begin = at + 8;
      length = std::min<std::size_t>(size, d.size() - begin);
      if (bits == 8 && channels == 1)
        layout = SoundLayout::Mono8;
      else if (bits == 16 && channels == 1)
        layout = SoundLayout::Mono16;
      else if (bits == 16 && channels == 2)
        layout = SoundLayout::Stereo16;
      else
        return false;
      return true;
    }
    // Chunk sizes come from the file; stop rather than wrap on 32-bit hosts.
    const std::uint64_t next = std::uint64_t{at} + 8 + size + (size & 1);
    if (next > d.size()) break;
    at = static_cast<std::size_t>(next);
  }
  return false;
}

// An uncompressed true-colour BMP: where its rows are and their geometry.
bool FindBitmapRows(std::span<const std::uint8_t> d, std::size_t& begin, std::size_t& length,
                    Segment& pic) {
  if (d.size() < 54 || d[0] != 'B' || d[1] != 'M' || Le(d, 14, 4) < 40) return false;
  const std::uint32_t offset = Le(d, 10, 4);
  const auto width = static_cast<std::int32_t>(Le(d, 18, 4));
  const auto height = static_cast<std::int32_t>(Le(d, 22, 4));
  const std::uint32_t bits = Le(d, 28, 2);
  if ((bits != 24 && bits != 32) || Le(d, 30, 4) != 0 || width <= 0 || height == 0 ||
      offset >= d.size())
    return false;
  const std::uint64_t stride = (static_cast<std::uint64_t>(width) * bits + 31) / 32 * 4;
  const std::uint64_t rows =
      static_cast<std::uint64_t>(height < 0 ? -static_cast<std::int64_t>(height) : height);
  if (stride > 0xFFFFFF) return false;
  begin = offset;
  length = static_cast<std::size_t>(std::min<std::uint64_t>(stride * rows, d.size() - offset));
  pic.mode = BlockedMode::Pic;
  pic.picWidth = static_cast<std::uint32_t>(stride);
  pic.picPlanes = bits / 8;
  return length >= stride;
}

// PIC wins on photographs, LZ77 on drawings with flat areas: try both on
// the rows alone (a separate small LZ77 window, so the member's window is
// untouched) and keep PIC only when clearly smaller.
bool PicPaysOff(std::span<const std::uint8_t> rows, const Segment& pic) {
  BitWriter picBits;
  EncodePicSegment(picBits, rows, {pic.picWidth, pic.picPlanes, pic.picPlaneType}, nullptr);
  BitWriter lzBits;
  LzParser trial(16, 1);
  trial.StartMember(false);
  LzBlockCoder coder(lzBits, true);
  trial.Code(rows, coder);
  coder.Flush();
  return picBits.BitCount() * 100 < lzBits.BitCount() * 95;
}

}  // namespace

// x86 code is recognised by its CALLs: in code most E8 bytes are CALLs
// whose 32-bit relative target lies inside the file; in other data such
// hits are rare. Regions with at least kCallsPerMille of them per 1000
// bytes are coded in EXE mode (measured: machine code 8..16, resources,
// debug information and text below 1).
bool RegionLooksLikeCode(std::span<const std::uint8_t> region, std::uint64_t regionOffset,
                         std::uint64_t memberSize) {
  constexpr std::size_t kCallsPerMille = 3;
  std::size_t calls = 0;
  for (std::size_t i = 0; i + 4 < region.size();) {
    if (region[i] != 0xE8) {
      ++i;
      continue;
    }
    const auto relative = static_cast<std::int32_t>(Le(region, i + 1, 4));
    const auto target = static_cast<std::int64_t>(regionOffset + i) + 5 + relative;
    if (target >= 0 && target < static_cast<std::int64_t>(memberSize)) ++calls;
    i += 5;
  }
  return calls * 1000 >= kCallsPerMille * region.size();
}

std::vector<Segment> PlanSegments(std::span<const std::uint8_t> data, const Options& o) {
  std::vector<Segment> plan;
  if (data.empty()) return plan;
  Segment mode;
  mode.exeMode = o.exeMode;
  mode.deltaDistance = o.deltaDistance;
  mode.deltaLength =
      std::max<std::uint32_t>(o.deltaDistance, o.deltaLength - o.deltaLength % o.deltaDistance);
  mode.soundLayout = o.soundLayout;
  mode.picWidth = o.picWidth != 0
                      ? o.picWidth
                      : static_cast<std::uint32_t>(std::min<std::size_t>(data.size(), 0xFFFFFFFFu));
  mode.picPlanes = o.picPlanes;
  mode.picPlaneType = o.picPlaneType;

  BlockedMode chosen = o.method == Method::Blocked ? o.mode : BlockedMode::Lz77;
  if (chosen == BlockedMode::Auto) {
    std::size_t begin = 0, length = 0;
    if (Segment pic = mode;
        FindBitmapRows(data, begin, length, pic) && PicPaysOff(data.subspan(begin, length), pic)) {
      plan.push_back(Lz77Part(begin));
      PlanStretch(data, begin, length, pic, plan);
      if (begin + length < data.size()) plan.push_back(Lz77Part(data.size() - begin - length));
      return plan;
    }
    if (FindWaveSamples(data, begin, length, mode.soundLayout)) {
      plan.push_back(Lz77Part(begin));
      mode.mode = BlockedMode::Sound;
      PlanStretch(data, begin, length, mode, plan);
      if (begin + length < data.size()) plan.push_back(Lz77Part(data.size() - begin - length));
      return plan;
    }
    if (const auto sections = FindPeSections(data); !sections.empty()) {
      PlanPeSections(data, sections, mode, plan);
      return plan;
    }
    mode.mode = BlockedMode::Exe;
    mode.exeMode = 1;
    PlanCodeRegions(data, mode, plan);
    return plan;
  }
  if (chosen == BlockedMode::Lz77) return {Lz77Part(data.size())};
  mode.mode = chosen;
  PlanStretch(data, 0, data.size(), mode, plan);
  return plan;
}

}  // namespace pelmora::acewriter::encode
