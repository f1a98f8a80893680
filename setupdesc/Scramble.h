// The line scrambling of the setup description: a per-character offset of
// 0..9 drawn from a seeded linear congruential generator. It keeps the file
// from being read at a glance and is no protection.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace pelmora::setupdesc {

// Every line of install.pmd is scrambled with this seed.
inline constexpr std::int32_t kDescriptionSeed = 62917;

class ScrambleGenerator {
 public:
  explicit ScrambleGenerator(std::int32_t seed) : state_(static_cast<std::uint32_t>(seed)) {}

  // One step; returns a number from 0 to range - 1 (range >= 1).
  std::uint32_t Next(std::uint32_t range) {
    state_ = state_ * 134775813u + 1u;
    return static_cast<std::uint32_t>((static_cast<std::uint64_t>(state_) * range) >> 32);
  }

  std::uint32_t State() const { return state_; }

 private:
  std::uint32_t state_;
};

// The generator restarts at the seed for every text, so equal lines scramble
// to equal bytes.
std::string Scramble(std::string_view text, std::int32_t seed);
std::string Unscramble(std::string_view text, std::int32_t seed);

}  // namespace pelmora::setupdesc
