// The bits that follow a mode switch marker in an ACE 2.0 stream: the
// 8-bit mode number and, for DELTA and EXE, their parameters.
#pragma once

#include <cstdint>

#include "acewriter/encode/Encoder.h"

namespace pelmora::acewriter::encode {

enum class StreamMode : std::uint8_t {
  Lz77 = 0,
  Delta = 1,
  Exe = 2,
  Sound8 = 3,
  Sound16 = 4,
  Sound32A = 5,
  Sound32B = 6,
  Pic = 7,
};

struct ModeRecord {
  std::uint64_t bits = 0;
  unsigned count = 0;

  static ModeRecord Plain(StreamMode mode) { return {static_cast<std::uint8_t>(mode), 8}; }
  static ModeRecord Exe(std::uint8_t exeMode) { return {std::uint64_t{2} << 8 | exeMode, 16}; }
  static ModeRecord Delta(std::uint8_t distance, std::uint32_t length) {
    return {std::uint64_t{1} << 25 | std::uint64_t{distance} << 17 | (length & 0x1FFFF), 33};
  }
};

inline StreamMode SoundMode(SoundLayout layout) {
  switch (layout) {
    case SoundLayout::Mono8:
      return StreamMode::Sound8;
    case SoundLayout::Mono16:
      return StreamMode::Sound16;
    case SoundLayout::Stereo16:
      return StreamMode::Sound32A;
    case SoundLayout::Stereo16Swapped:
      return StreamMode::Sound32B;
  }
  return StreamMode::Sound8;
}

}  // namespace pelmora::acewriter::encode
