#include "setupdesc/Scramble.h"

namespace pelmora::setupdesc {

namespace {

constexpr std::uint32_t kOffsetRange = 10;

std::string Shift(std::string_view text, std::int32_t seed, int direction) {
  ScrambleGenerator generator(seed);
  std::string out(text);
  for (char& c : out) {
    const auto offset = static_cast<int>(generator.Next(kOffsetRange));
    const auto byte = static_cast<unsigned char>(c);
    c = static_cast<char>(static_cast<unsigned char>(byte + direction * offset));
  }
  return out;
}

}  // namespace

std::string Scramble(std::string_view text, std::int32_t seed) { return Shift(text, seed, +1); }

std::string Unscramble(std::string_view text, std::int32_t seed) { return Shift(text, seed, -1); }

}  // namespace pelmora::setupdesc
