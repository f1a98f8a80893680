// The archive cipher: a 16-round Blowfish with three altered S-box entries,
// keyed with the five key words, applied to little-endian 8-byte blocks in
// CBC mode. Every member starts a fresh chain (IV 0); a member split across
// volumes is one chain.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "unace/crypto/AceKey.h"

namespace pelmora::unace::crypto {

inline constexpr std::size_t kCipherBlockBytes = 8;

class AceCipher {
 public:
  explicit AceCipher(const AceKey& key);

  // Starts a new member: the chaining value goes back to zero.
  void RestartChain() { chain_ = {0, 0}; }

  // `size` must be a multiple of kCipherBlockBytes; works in place.
  void Decrypt(std::uint8_t* data, std::size_t size);
  void Encrypt(std::uint8_t* data, std::size_t size);

  // Raw block operations on the two 32-bit halves (no chaining).
  void EncryptBlock(std::uint32_t& left, std::uint32_t& right) const;
  void DecryptBlock(std::uint32_t& left, std::uint32_t& right) const;

 private:
  std::uint32_t Feistel(std::uint32_t x) const;

  std::array<std::uint32_t, 18> p_{};
  std::array<std::array<std::uint32_t, 256>, 4> s_{};
  std::array<std::uint32_t, 2> chain_{0, 0};
};

}  // namespace pelmora::unace::crypto
