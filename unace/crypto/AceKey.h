// Password to cipher key: one SHA-style compression of the password block,
// with the original (unrotated) message schedule and little-endian words.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace pelmora::unace::crypto {

using AceKey = std::array<std::uint32_t, 5>;

// Only the first kMaxPasswordBytes bytes of the password take part.
inline constexpr std::size_t kMaxPasswordBytes = 50;

AceKey DeriveAceKey(std::string_view password);

}  // namespace pelmora::unace::crypto
