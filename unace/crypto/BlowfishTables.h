// Initial P-array and S-boxes of the standard cipher (hex digits of pi).
#pragma once

#include <cstdint>

namespace pelmora::unace::crypto {

extern const std::uint32_t kPiP[18];
extern const std::uint32_t kPiS[4][256];

}  // namespace pelmora::unace::crypto
