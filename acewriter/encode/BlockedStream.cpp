#include "acewriter/encode/BlockedStream.h"

#include <stdexcept>
#include <string>

#include "acewriter/encode/Filters.h"
#include "acewriter/encode/LzBlockCoder.h"
#include "acewriter/encode/ModeRecord.h"
#include "acewriter/encode/PicEncoder.h"
#include "acewriter/encode/SoundEncoder.h"

namespace pelmora::acewriter::encode {
namespace {

bool IsLzFamily(BlockedMode mode) {
  return mode == BlockedMode::Lz77 || mode == BlockedMode::Exe || mode == BlockedMode::Delta;
}

ModeRecord RecordFor(const Segment& s) {
  switch (s.mode) {
    case BlockedMode::Exe:
      return ModeRecord::Exe(s.exeMode);
    case BlockedMode::Delta:
      return ModeRecord::Delta(s.deltaDistance, s.deltaLength);
    case BlockedMode::Sound:
      return ModeRecord::Plain(SoundMode(s.soundLayout));
    case BlockedMode::Pic:
      return ModeRecord::Plain(StreamMode::Pic);
    default:
      return ModeRecord::Plain(StreamMode::Lz77);
  }
}

// Whether `next` needs a mode record after `current` (same settings simply continue).
bool NeedsSwitch(const Segment& current, const Segment& next) {
  if (current.mode != next.mode) return true;
  switch (next.mode) {
    case BlockedMode::Exe:
      return current.exeMode != next.exeMode;
    case BlockedMode::Delta:
      return current.deltaDistance != next.deltaDistance || current.deltaLength != next.deltaLength;
    case BlockedMode::Lz77:
      return false;
    default:
      // A SOUND or PIC segment switching to itself would not reset its state.
      throw std::logic_error("EncodeBlockedSegments: two SOUND or PIC segments in a row");
  }
}

void CheckRules(const Segment& s, std::span<const std::uint8_t> bytes, bool last,
                std::size_t followingBytes) {
  // Rules of the readers: where each mode's segment may end.
  const auto fail = [](const std::string& what) {
    throw std::logic_error("EncodeBlockedSegments: " + what);
  };
  switch (s.mode) {
    case BlockedMode::Exe:
      if (s.exeMode > 1) fail("EXE sub-mode above 1");
      // Readers would hold a cut instruction back, differently from each other.
      if (!ExeSegmentMayEnd(bytes)) fail("EXE segment ends inside a CALL/JMP");
      break;
    case BlockedMode::Delta:
      if (s.deltaDistance == 0 || s.deltaLength == 0 || s.deltaLength > 131071 ||
          s.deltaLength % s.deltaDistance != 0)
        fail("DELTA parameters out of range");
      if (bytes.size() % s.deltaLength != 0) fail("DELTA segment is not a whole number of chunks");
      break;
    case BlockedMode::Sound:
      if (bytes.size() % 4 != 0) fail("SOUND segment length is not a multiple of 4");
      if (!last && followingBytes < 4) fail("fewer than 4 bytes follow a SOUND segment");
      break;
    case BlockedMode::Pic:
      if (s.picWidth == 0 || s.picPlanes == 0 || s.picPlaneType > 2)
        fail("PIC geometry out of range");
      if (!last && bytes.size() % s.picWidth != 0) fail("PIC segment ends inside a row");
      break;
    case BlockedMode::Lz77:
      break;
    case BlockedMode::Auto:
      fail("a segment without a mode");
  }
}

}  // namespace

void EncodeBlockedSegments(std::span<const std::uint8_t> data, const std::vector<Segment>& plan,
                           LzParser& parser, BitWriter& out) {
  LzBlockCoder coder(out, true, parser.Thorough());
  Segment current;  // a member starts in plain LZ77
  std::uint8_t deltaRunning = 0;
  std::size_t offset = 0;
  for (std::size_t k = 0; k < plan.size(); ++k) {
    const Segment& s = plan[k];
    if (s.length == 0) continue;
    if (s.length > data.size() - offset)
      throw std::logic_error("EncodeBlockedSegments: plan longer than the member");
    const auto bytes = data.subspan(offset, s.length);
    const bool last = offset + s.length == data.size();
    CheckRules(s, bytes, last, data.size() - offset - s.length);

    if (IsLzFamily(current.mode) && NeedsSwitch(current, s)) {
      const ModeRecord record = RecordFor(s);
      coder.TypeCode(record.bits, record.count, !IsLzFamily(s.mode));
    }
    // Leaving SOUND or PIC was written by their coders (they end with the
    // switch marker and the record when another segment follows).

    // The record that ends this segment if it is SOUND or PIC.
    ModeRecord after;
    const ModeRecord* switchTo = nullptr;
    if (!last && !IsLzFamily(s.mode)) {
      std::size_t n = k + 1;
      while (n < plan.size() && plan[n].length == 0) ++n;
      if (n == plan.size())
        throw std::logic_error("EncodeBlockedSegments: plan shorter than the member");
      NeedsSwitch(s, plan[n]);  // refuses SOUND->SOUND and PIC->PIC
      after = RecordFor(plan[n]);
      switchTo = &after;
    }

    switch (s.mode) {
      case BlockedMode::Lz77:
        parser.Code(bytes, coder);
        break;
      case BlockedMode::Exe:
        parser.Code(ExeFilter(bytes, offset, s.exeMode), coder);
        break;
      case BlockedMode::Delta:
        for (std::size_t at = 0; at < bytes.size(); at += s.deltaLength)
          parser.Code(DeltaChunk(bytes.subspan(at, s.deltaLength), s.deltaDistance, deltaRunning),
                      coder);
        break;
      case BlockedMode::Sound:
        EncodeSoundSegment(out, bytes, s.soundLayout, switchTo);
        parser.EnterWindow(bytes);
        parser.DistrustRepeats();
        break;
      case BlockedMode::Pic:
        EncodePicSegment(out, bytes, {s.picWidth, s.picPlanes, s.picPlaneType}, switchTo);
        parser.EnterWindow(bytes);
        parser.DistrustRepeats();
        break;
      case BlockedMode::Auto:
        break;
    }
    current = s;
    offset += s.length;
  }
  if (offset != data.size())
    throw std::logic_error("EncodeBlockedSegments: plan shorter than the member");
  coder.Flush();
}

}  // namespace pelmora::acewriter::encode
