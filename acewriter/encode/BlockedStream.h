// The ACE 2.0 blocked stream of one member: LZ77 stretches interleaved with
// EXE, DELTA, SOUND and PIC segments, all sharing one window.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "acewriter/encode/BitWriter.h"
#include "acewriter/encode/Encoder.h"
#include "acewriter/encode/LzParser.h"

namespace pelmora::acewriter::encode {

// A run of member bytes coded in one mode.
struct Segment {
  BlockedMode mode = BlockedMode::Lz77;  // never Auto
  std::size_t length = 0;
  std::uint8_t exeMode = 1;
  std::uint8_t deltaDistance = 4;
  std::uint32_t deltaLength = 2048;
  SoundLayout soundLayout = SoundLayout::Mono16;
  std::uint32_t picWidth = 1;
  std::uint32_t picPlanes = 1;
  int picPlaneType = -1;
};

// Splits a member into segments for the options: the requested mode where
// its rules allow it (the rest in LZ77), or for Auto the mode the data
// looks like (Windows programs section by section, other x86 code by
// region, WAV audio, photo-like bitmaps), else LZ77.
std::vector<Segment> PlanSegments(std::span<const std::uint8_t> data, const Options& options);

// The planner decides between LZ77 and EXE per region of this many bytes
// (counted from the member start), each on its own bytes and the member size.
inline constexpr std::size_t kCodeRegionBytes = 64 * 1024;
bool RegionLooksLikeCode(std::span<const std::uint8_t> region, std::uint64_t regionOffset,
                         std::uint64_t memberSize);

// Codes the member along `plan` (lengths must add up to the member size,
// and each segment must keep its mode's rules; std::logic_error otherwise).
void EncodeBlockedSegments(std::span<const std::uint8_t> data, const std::vector<Segment>& plan,
                           LzParser& parser, BitWriter& out);

inline void EncodeBlockedMember(std::span<const std::uint8_t> data, const Options& options,
                                LzParser& parser, BitWriter& out) {
  EncodeBlockedSegments(data, PlanSegments(data, options), parser, out);
}

}  // namespace pelmora::acewriter::encode
