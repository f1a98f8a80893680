#include "unace/decode/Lz77Stream.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "unace/decode/DecodeError.h"

namespace pelmora::unace::decode {

namespace {

constexpr int kMainMaxWidth = 11;
constexpr int kLengthMaxWidth = 11;
constexpr int kLengthMaxIndex = 255;
constexpr std::uint32_t kFirstRepeat = 256;
constexpr std::uint32_t kFirstNewDistance = 260;
// The longest length code plus the largest base.
constexpr std::size_t kLongestMatch = kLengthMaxIndex + 4;

// Copies a match inside the ring. Forward byte order is what gives an
// overlapping match (distance < length) its run-repeating meaning.
inline void CopyMatch(std::uint8_t* ring, std::size_t mask, std::uint64_t pos,
                      std::uint32_t distance, std::uint32_t length) {
  const std::size_t dst = static_cast<std::size_t>(pos) & mask;
  const std::size_t src = static_cast<std::size_t>(pos - distance) & mask;
  const std::size_t capacity = mask + 1;
  if (dst + length <= capacity && src + length <= capacity) {
    std::uint8_t* d = ring + dst;
    const std::uint8_t* s = ring + src;
    if (distance >= length) {
      std::memmove(d, s, length);
    } else if (distance >= 8) {
      // Chunks of 8 never read bytes this copy has not written yet.
      std::uint32_t i = 0;
      for (; i + 8 <= length; i += 8) std::memcpy(d + i, s + i, 8);
      for (; i < length; ++i) d[i] = s[i];
    } else {
      for (std::uint32_t i = 0; i < length; ++i) d[i] = s[i];
    }
  } else {
    for (std::uint32_t i = 0; i < length; ++i)
      ring[(pos + i) & mask] = ring[(pos - distance + i) & mask];
  }
}

}  // namespace

void Lz77Stream::ReadBlockHeader(BitReader& bits) {
  main_.Read(bits, maxMainIndex_, kMainMaxWidth);
  lengths_.Read(bits, kLengthMaxIndex, kLengthMaxWidth);
  symbolsLeft_ = bits.Read(15);
  if (symbolsLeft_ == 0) ThrowCorrupt("LZ77 block of 0 symbols");
}

Lz77Stream::Stop Lz77Stream::Decode(BitReader& bits, Window& window, std::size_t want,
                                    std::size_t limit, std::uint32_t dictionary,
                                    std::size_t& produced) {
  window.Reserve(std::min(limit, want + kLongestMatch));
  std::uint8_t* const ring = window.Data();
  const std::size_t mask = window.Mask();
  const std::uint64_t start = window.Position();
  const std::uint64_t historyAtStart = window.History();
  std::uint64_t pos = start;
  Stop stop = Stop::Enough;

  // Keeps the window consistent whichever way this function is left.
  struct Commit {
    Window& window;
    const std::uint64_t& pos;
    std::uint64_t start;
    ~Commit() { window.Advance(static_cast<std::size_t>(pos - start)); }
  } commit{window, pos, start};

  while (pos - start < want) {
    if (symbolsLeft_ == 0) ReadBlockHeader(bits);
    --symbolsLeft_;
    const std::uint32_t symbol = main_.Decode(bits);
    if (symbol < kFirstRepeat) {
      ring[pos & mask] = static_cast<std::uint8_t>(symbol);
      ++pos;
      continue;
    }
    std::uint32_t d;
    std::uint32_t base;
    if (symbol < kFirstNewDistance) {
      const std::uint32_t r = symbol - kFirstRepeat;
      d = recent_[r];
      for (std::uint32_t k = r; k > 0; --k) recent_[k] = recent_[k - 1];
      recent_[0] = d;
      base = r < 2 ? 2 : 3;
    } else if (symbol < kTypeCode) {
      const int k = static_cast<int>(symbol - kFirstNewDistance);
      if (k < 2) {
        d = static_cast<std::uint32_t>(k);
      } else {
        // ensure() inside decode() left at least 32 bits, the main code took <= 11.
        d = (1u << (k - 1)) + bits.Peek(k - 1);
        bits.Skip(k - 1);
      }
      recent_[3] = recent_[2];
      recent_[2] = recent_[1];
      recent_[1] = recent_[0];
      recent_[0] = d;
      base = d <= 255 ? 2 : d <= 8191 ? 3 : 4;
    } else {
      stop = Stop::TypeCode;
      break;
    }
    const std::uint32_t length = lengths_.Decode(bits) + base;
    const std::uint64_t distance = std::uint64_t{d} + 1;
    const std::uint64_t done = pos - start;
    if (distance > dictionary || distance > historyAtStart + done)
      ThrowCorrupt("LZ77 distance " + std::to_string(distance) + " beyond the " +
                   std::to_string(std::min<std::uint64_t>(dictionary, historyAtStart + done)) +
                   " bytes the window holds");
    if (length > limit - done)
      ThrowCorrupt("LZ77 match of " + std::to_string(length) + " bytes runs " +
                   std::to_string(length - (limit - done)) + " bytes past the end of its segment");
    CopyMatch(ring, mask, pos, static_cast<std::uint32_t>(distance), length);
    pos += length;
  }
  produced = static_cast<std::size_t>(pos - start);
  return stop;
}

}  // namespace pelmora::unace::decode
