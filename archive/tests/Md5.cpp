// RFC 1321.
#include "Md5.h"

#include <array>
#include <cmath>
#include <cstdint>

namespace pelmora::archive::test {

namespace {

constexpr std::array<std::uint32_t, 64> kShift = {
    7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22,
    5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20,
    4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23,
    6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21};

std::array<std::uint32_t, 64> SineTable() {
  std::array<std::uint32_t, 64> table{};
  for (std::size_t i = 0; i < table.size(); ++i)
    table[i] = static_cast<std::uint32_t>(std::floor(std::fabs(std::sin(i + 1.0)) * 4294967296.0));
  return table;
}

std::uint32_t RotateLeft(std::uint32_t x, std::uint32_t n) { return (x << n) | (x >> (32 - n)); }

}  // namespace

std::string Md5Hex(const std::string& bytes) {
  static const std::array<std::uint32_t, 64> k = SineTable();
  std::uint32_t state[4] = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};

  std::string message = bytes;
  const std::uint64_t bitLength = static_cast<std::uint64_t>(bytes.size()) * 8;
  message.push_back(static_cast<char>(0x80));
  while (message.size() % 64 != 56) message.push_back('\0');
  for (int i = 0; i < 8; ++i) message.push_back(static_cast<char>((bitLength >> (8 * i)) & 0xFF));

  for (std::size_t block = 0; block < message.size(); block += 64) {
    std::uint32_t w[16];
    for (int i = 0; i < 16; ++i) {
      w[i] = 0;
      for (int b = 0; b < 4; ++b)
        w[i] |= static_cast<std::uint32_t>(static_cast<unsigned char>(message[block + 4 * i + b]))
                << (8 * b);
    }
    std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    for (std::uint32_t i = 0; i < 64; ++i) {
      std::uint32_t f;
      std::uint32_t g;
      if (i < 16) {
        f = (b & c) | (~b & d);
        g = i;
      } else if (i < 32) {
        f = (d & b) | (~d & c);
        g = (5 * i + 1) % 16;
      } else if (i < 48) {
        f = b ^ c ^ d;
        g = (3 * i + 5) % 16;
      } else {
        f = c ^ (b | ~d);
        g = (7 * i) % 16;
      }
      const std::uint32_t next = b + RotateLeft(a + f + k[i] + w[g], kShift[i]);
      a = d;
      d = c;
      c = b;
      b = next;
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
  }

  static const char kHex[] = "0123456789abcdef";
  std::string hex;
  for (std::uint32_t word : state)
    for (int i = 0; i < 4; ++i) {
      const unsigned byte = (word >> (8 * i)) & 0xFF;
      hex.push_back(kHex[byte >> 4]);
      hex.push_back(kHex[byte & 0xF]);
    }
  return hex;
}

}  // namespace pelmora::archive::test
