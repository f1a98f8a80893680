#include "unace/crypto/AceCipher.h"

#include <utility>

#include "unace/crypto/BlowfishTables.h"

namespace pelmora::unace::crypto {
namespace {

std::uint32_t LoadLe32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
         std::uint32_t{p[3]} << 24;
}

void StoreLe32(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
  p[2] = static_cast<std::uint8_t>(v >> 16);
  p[3] = static_cast<std::uint8_t>(v >> 24);
}

}  // namespace

AceCipher::AceCipher(const AceKey& key) {
  for (std::size_t i = 0; i < p_.size(); ++i) p_[i] = kPiP[i];
  for (std::size_t box = 0; box < 4; ++box)
    for (std::size_t i = 0; i < 256; ++i) s_[box][i] = kPiS[box][i];
  // The archiver's tables differ from the published digits in three places;
  // archives can only be read with its values.
  s_[0][48] = 0x2DA9C55Du;
  s_[0][51] = 0x9B87901Eu;
  s_[0][139] = 0x412C7279u;

  for (std::size_t i = 0; i < p_.size(); ++i) p_[i] ^= key[i % key.size()];

  std::uint32_t left = 0, right = 0;
  for (std::size_t i = 0; i < p_.size(); i += 2) {
    EncryptBlock(left, right);
    p_[i] = left;
    p_[i + 1] = right;
  }
  for (auto& box : s_) {
    for (std::size_t i = 0; i < box.size(); i += 2) {
      EncryptBlock(left, right);
      box[i] = left;
      box[i + 1] = right;
    }
  }
}

std::uint32_t AceCipher::Feistel(std::uint32_t x) const {
  return ((s_[0][x >> 24] + s_[1][(x >> 16) & 0xFFu]) ^ s_[2][(x >> 8) & 0xFFu]) + s_[3][x & 0xFFu];
}

void AceCipher::EncryptBlock(std::uint32_t& left, std::uint32_t& right) const {
  std::uint32_t l = left, r = right;
  for (int round = 0; round < 16; ++round) {
    l ^= p_[round];
    r ^= Feistel(l);
    std::swap(l, r);
  }
  std::swap(l, r);
  r ^= p_[16];
  l ^= p_[17];
  left = l;
  right = r;
}

void AceCipher::DecryptBlock(std::uint32_t& left, std::uint32_t& right) const {
  std::uint32_t l = left, r = right;
  for (int round = 17; round > 1; --round) {
    l ^= p_[round];
    r ^= Feistel(l);
    std::swap(l, r);
  }
  std::swap(l, r);
  r ^= p_[1];
  l ^= p_[0];
  left = l;
  right = r;
}

void AceCipher::Decrypt(std::uint8_t* data, std::size_t size) {
  for (std::size_t off = 0; off + kCipherBlockBytes <= size; off += kCipherBlockBytes) {
    const std::uint32_t cipherLeft = LoadLe32(data + off);
    const std::uint32_t cipherRight = LoadLe32(data + off + 4);
    std::uint32_t left = cipherLeft, right = cipherRight;
    DecryptBlock(left, right);
    StoreLe32(data + off, left ^ chain_[0]);
    StoreLe32(data + off + 4, right ^ chain_[1]);
    chain_ = {cipherLeft, cipherRight};
  }
}

void AceCipher::Encrypt(std::uint8_t* data, std::size_t size) {
  for (std::size_t off = 0; off + kCipherBlockBytes <= size; off += kCipherBlockBytes) {
    std::uint32_t left = LoadLe32(data + off) ^ chain_[0];
    std::uint32_t right = LoadLe32(data + off + 4) ^ chain_[1];
    EncryptBlock(left, right);
    StoreLe32(data + off, left);
    StoreLe32(data + off + 4, right);
    chain_ = {left, right};
  }
}

}  // namespace pelmora::unace::crypto
