#include "unace/decode/Lz77Stream.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace pelmora::unace::decode {

namespace {

constexpr int kMainMaxWidth = 11;
constexpr int kLengthMaxWidth = 11;
constexpr int kLengthMaxIndex = 255;
constexpr std::uint32_t kFirstRepeat = 256;
constexpr std::uint32_t kFirstNewDistance = 260;
// The longest length code plus the largest base.
constexpr std::size_t kLongestMatch = kLengthMaxIndex + 4;

// How far a chunked copy may write past the end of a match.
constexpr std::size_t kOvershoot = 16;

// Copies a match inside the ring. Forward byte order is what gives an
// overlapping match (distance < length) its run-repeating meaning.
//
// Most matches are a few bytes long, where a library call per match costs
// more than the copy: whole chunks are copied instead, and the up to 15 bytes
// they write past the match are put back afterwards, since in a full ring
// they are the oldest history, which a later match may still reach.
inline void CopyMatch(std::uint8_t* ring, std::size_t mask, std::uint64_t pos,
                      std::uint32_t distance, std::uint32_t length) {
  const std::size_t dst = static_cast<std::size_t>(pos) & mask;
  const std::size_t src = static_cast<std::size_t>(pos - distance) & mask;
  const std::size_t capacity = mask + 1;
  if (dst + length + kOvershoot <= capacity && src + length + kOvershoot <= capacity) {
    std::uint8_t* d = ring + dst;
    const std::uint8_t* s = ring + src;
    std::uint8_t beyond[kOvershoot];
    std::memcpy(beyond, d + length, kOvershoot);
    if (distance >= 16) {
      // A chunk never reads bytes this copy has not written yet.
      for (std::uint32_t i = 0; i < length; i += 16) std::memcpy(d + i, s + i, 16);
    } else if (distance >= 8) {
      for (std::uint32_t i = 0; i < length; i += 8) std::memcpy(d + i, s + i, 8);
    } else {
      for (std::uint32_t i = 0; i < length; ++i) d[i] = s[i];
    }
    std::memcpy(d + length, beyond, kOvershoot);
  } else {
    for (std::uint32_t i = 0; i < length; ++i)
      ring[(pos + i) & mask] = ring[(pos - distance + i) & mask];
  }
}

// The faults a match can show, out of the loop's way.
[[gnu::cold, gnu::noinline]] void NoteFarDistance(FaultState& fault, std::uint64_t distance,
                                                  std::uint64_t reach) {
  fault.NoteCorrupt("LZ77 distance " + std::to_string(distance) + " beyond the " +
                    std::to_string(reach) + " bytes the window holds");
}

[[gnu::cold, gnu::noinline]] void NoteLongMatch(FaultState& fault, std::uint32_t length,
                                                std::uint64_t room) {
  fault.NoteCorrupt("LZ77 match of " + std::to_string(length) + " bytes runs " +
                    std::to_string(length - room) + " bytes past the end of its segment");
}

}  // namespace

bool Lz77Stream::ReadBlockHeader(BitReader& bits) {
  if (!main_.Read(bits, maxMainIndex_, kMainMaxWidth) ||
      !lengths_.Read(bits, kLengthMaxIndex, kLengthMaxWidth))
    return false;
  symbolsLeft_ = bits.Read(15);
  if (symbolsLeft_ == 0) bits.Fault().NoteCorrupt("LZ77 block of 0 symbols");
  return !bits.Failed();
}

template <typename Bits>
inline bool Lz77Stream::Step(Bits& bits, const Segment& segment, std::uint64_t& pos,
                             std::uint32_t* recent) {
  const std::uint32_t symbol = main_.Decode(bits);
  if (symbol < kFirstRepeat) {
    segment.ring[pos & segment.mask] = static_cast<std::uint8_t>(symbol);
    ++pos;
    return true;
  }
  std::uint32_t d;
  std::uint32_t base;
  if (symbol < kFirstNewDistance) {
    const std::uint32_t r = symbol - kFirstRepeat;
    d = recent[r];
    for (std::uint32_t k = r; k > 0; --k) recent[k] = recent[k - 1];
    recent[0] = d;
    base = r < 2 ? 2 : 3;
  } else if (symbol < kTypeCode) {
    const int k = static_cast<int>(symbol - kFirstNewDistance);
    if (k < 2) {
      d = static_cast<std::uint32_t>(k);
    } else {
      // Decode() left at least 32 bits, the main code took <= 11.
      d = (1u << (k - 1)) + bits.Peek(k - 1);
      bits.Skip(k - 1);
    }
    recent[3] = recent[2];
    recent[2] = recent[1];
    recent[1] = recent[0];
    recent[0] = d;
    base = d <= 255 ? 2 : d <= 8191 ? 3 : 4;
  } else {
    return false;
  }
  const std::uint32_t lengthSymbol = lengths_.Decode(bits);
  if (lengthSymbol == HuffmanTable::kNoSymbol) return false;
  const std::uint32_t length = lengthSymbol + base;
  const std::uint64_t distance = std::uint64_t{d} + 1;
  const std::uint64_t done = pos - segment.start;
  if (distance > segment.dictionary || distance > segment.historyAtStart + done) {
    NoteFarDistance(bits.Fault(), distance,
                    std::min<std::uint64_t>(segment.dictionary, segment.historyAtStart + done));
    return false;
  }
  if (length > segment.limit - done) {
    NoteLongMatch(bits.Fault(), length, segment.limit - done);
    return false;
  }
  CopyMatch(segment.ring, segment.mask, pos, static_cast<std::uint32_t>(distance), length);
  pos += length;
  return true;
}

Lz77Stream::Stop Lz77Stream::Decode(BitReader& bits, Window& window, std::size_t want,
                                    std::size_t limit, std::uint32_t dictionary,
                                    std::size_t& produced) {
  produced = 0;
  if (!window.Reserve(std::min(limit, want + kLongestMatch))) {
    bits.Fault().Note(Status::OutOfMemory, "out of memory for the window");
    return Stop::Failed;
  }
  const Segment segment{window.Data(),    window.Mask(), window.Position(),
                        window.History(), limit,         dictionary};
  const std::uint64_t start = segment.start;
  const std::uint64_t end = start + want;
  std::uint64_t pos = start;
  Stop stop = Stop::Enough;

  // Keeps the window consistent whichever way this function is left.
  struct Commit {
    Window& window;
    const std::uint64_t& pos;
    std::uint64_t start;
    ~Commit() { window.Advance(static_cast<std::size_t>(pos - start)); }
  } commit{window, pos, start};

  // Past the data's end the reader supplies zero bits, which may decode as
  // valid symbols: the slow path looks at the fault state every step.
  while (pos < end && !bits.Failed()) {
    if (symbolsLeft_ == 0 && !ReadBlockHeader(bits)) break;
    if (bits.BufferedBytes() >= 8) {
      // The bulk of the data: the reader's state, the position and the
      // distance history in locals, until the buffer, the block or the
      // piece runs out.
      FastBits fast(bits);
      std::uint32_t recent[4] = {recent_[0], recent_[1], recent_[2], recent_[3]};
      std::uint64_t at = pos;
      std::uint32_t left = symbolsLeft_;
      bool typeCode = false;
      while (at < end) {
        // One count for the loop: a step reads at most two words and writes
        // at least one byte.
        std::uint64_t steps = std::min<std::uint64_t>({left, fast.SafeSteps(), end - at});
        if (steps == 0) break;
        left -= static_cast<std::uint32_t>(steps);
        while (steps != 0) {
          --steps;
          if (!Step(fast, segment, at, recent)) {
            typeCode = true;
            break;
          }
          if (at >= end) break;  // a match may end past it
        }
        left += static_cast<std::uint32_t>(steps);  // not taken
        if (typeCode) break;
      }
      pos = at;
      symbolsLeft_ = left;
      std::copy(recent, recent + 4, recent_);
      if (typeCode) {
        stop = Stop::TypeCode;
        break;
      }
    } else {
      --symbolsLeft_;
      if (!Step(bits, segment, pos, recent_)) {
        stop = Stop::TypeCode;
        break;
      }
    }
  }
  produced = static_cast<std::size_t>(pos - start);
  return bits.Failed() ? Stop::Failed : stop;
}

}  // namespace pelmora::unace::decode
