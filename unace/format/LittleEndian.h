// Little-endian field access for header bytes already known to be in range.
#pragma once

#include <cstdint>

namespace pelmora::unace::format {

inline std::uint16_t Le16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

inline std::uint32_t Le32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
         std::uint32_t{p[3]} << 24;
}

inline std::uint64_t Le64(const std::uint8_t* p) {
  return std::uint64_t{Le32(p)} | std::uint64_t{Le32(p + 4)} << 32;
}

}  // namespace pelmora::unace::format
