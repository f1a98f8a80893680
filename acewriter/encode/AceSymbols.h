// Alphabet facts of the ACE LZ77 stream shared by the compressors.
#pragma once

#include <cstdint>

namespace pelmora::acewriter::encode {

inline constexpr unsigned kCodeMaxWidth = 11;          // main and length alphabets
inline constexpr unsigned kFirstRepeatSymbol = 256;    // 256..259: repeat distance 0..3
inline constexpr unsigned kFirstDistanceSymbol = 260;  // 260 + bit length of (distance - 1)
inline constexpr unsigned kTypeCodeSymbol = 283;       // ACE 2.0 mode switch
inline constexpr unsigned kMainSymbolsLz77 = 283;      // ACE 1.0 alphabet size
inline constexpr unsigned kMainSymbolsBlocked = 284;   // with TYPECODE
inline constexpr unsigned kLengthSymbols = 256;
inline constexpr unsigned kMaxBlockSymbols = 32767;  // 15-bit COUNT, never 0
inline constexpr unsigned kMaxMatch = 259;
inline constexpr unsigned kRepeatHistory = 4;
inline constexpr std::uint32_t kMinDictionaryBits = 10;
inline constexpr std::uint32_t kMaxDictionaryBits = 22;

// Number of significant bits of x (0 for 0).
constexpr unsigned BitLength(std::uint32_t x) {
  unsigned n = 0;
  while (x != 0) {
    ++n;
    x >>= 1;
  }
  return n;
}

// Smallest length a new distance d (= distance - 1) may carry: the length
// symbol is added to this base.
constexpr unsigned NewDistanceBase(std::uint32_t d) { return d <= 255 ? 2 : (d <= 8191 ? 3 : 4); }
// Same for repeat slot r.
constexpr unsigned RepeatBase(unsigned r) { return r < 2 ? 2 : 3; }

}  // namespace pelmora::acewriter::encode
