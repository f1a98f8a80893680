#include "unace/crypto/AceKey.h"

#include <bit>

namespace pelmora::unace::crypto {

AceKey DeriveAceKey(std::string_view password) {
  const std::size_t length =
      password.size() < kMaxPasswordBytes ? password.size() : kMaxPasswordBytes;

  std::uint8_t block[64] = {};
  for (std::size_t i = 0; i < length; ++i) block[i] = static_cast<std::uint8_t>(password[i]);
  block[length] = 0x80;

  std::uint32_t w[80];
  for (int i = 0; i < 15; ++i) {
    w[i] = std::uint32_t{block[4 * i]} | std::uint32_t{block[4 * i + 1]} << 8 |
           std::uint32_t{block[4 * i + 2]} << 16 | std::uint32_t{block[4 * i + 3]} << 24;
  }
  w[15] = static_cast<std::uint32_t>(length * 8);
  // No rotation here: the key schedule predates the revised hash standard.
  for (int t = 16; t < 80; ++t) w[t] = w[t - 16] ^ w[t - 14] ^ w[t - 8] ^ w[t - 3];

  constexpr std::uint32_t kInit[5] = {0x67452301u, 0xEFCDAB89u, 0x98BADCFEu, 0x10325476u,
                                      0xC3D2E1F0u};
  std::uint32_t a = kInit[0], b = kInit[1], c = kInit[2], d = kInit[3], e = kInit[4];
  for (int t = 0; t < 80; ++t) {
    std::uint32_t f;
    std::uint32_t k;
    if (t < 20) {
      f = (b & c) | (~b & d);
      k = 0x5A827999u;
    } else if (t < 40) {
      f = b ^ c ^ d;
      k = 0x6ED9EBA1u;
    } else if (t < 60) {
      f = (b & c) | (b & d) | (c & d);
      k = 0x8F1BBCDCu;
    } else {
      f = b ^ c ^ d;
      k = 0xCA62C1D6u;
    }
    const std::uint32_t next = std::rotl(a, 5) + f + e + k + w[t];
    e = d;
    d = c;
    c = std::rotl(b, 30);
    b = a;
    a = next;
  }
  return {a + kInit[0], b + kInit[1], c + kInit[2], d + kInit[3], e + kInit[4]};
}

}  // namespace pelmora::unace::crypto
