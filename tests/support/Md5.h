// MD5 (RFC 1321), only for comparing extracted files with the .md5 lists
// that come with the sample archives.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace pelmora::test {

class Md5 {
 public:
  void Update(const std::uint8_t* data, std::size_t size) {
    total_ += size;
    while (size > 0) {
      const std::size_t take = std::min(size, block_.size() - used_);
      std::memcpy(block_.data() + used_, data, take);
      used_ += take;
      data += take;
      size -= take;
      if (used_ == block_.size()) {
        Compress(block_.data());
        used_ = 0;
      }
    }
  }

  std::string Hex() {
    const std::uint64_t bits = total_ * 8;
    const std::uint8_t pad = 0x80;
    Update(&pad, 1);
    const std::uint8_t zero = 0;
    while (used_ != 56) Update(&zero, 1);
    std::uint8_t length[8];
    for (int i = 0; i < 8; ++i) length[i] = static_cast<std::uint8_t>(bits >> (8 * i));
    Update(length, 8);
    std::string out;
    char digits[3];
    for (std::uint32_t word : state_)
      for (int i = 0; i < 4; ++i) {
        std::snprintf(digits, sizeof digits, "%02x",
                      static_cast<unsigned>((word >> (8 * i)) & 0xFF));
        out += digits;
      }
    return out;
  }

  static std::string Of(const std::vector<std::uint8_t>& data) {
    Md5 md5;
    md5.Update(data.data(), data.size());
    return md5.Hex();
  }

  static std::string Of(const std::string& data) {
    Md5 md5;
    md5.Update(reinterpret_cast<const std::uint8_t*>(data.data()), data.size());
    return md5.Hex();
  }

 private:
  static std::uint32_t Rotl(std::uint32_t x, int s) { return (x << s) | (x >> (32 - s)); }

  void Compress(const std::uint8_t* p) {
    static constexpr int kShift[64] = {7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22,
                                       5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20,
                                       4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23,
                                       6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21};
    static const std::array<std::uint32_t, 64> kSine = [] {
      // K[i] = floor(2^32 * |sin(i + 1)|)
      std::array<std::uint32_t, 64> k{};
      for (int i = 0; i < 64; ++i)
        k[i] = static_cast<std::uint32_t>(4294967296.0 * std::fabs(std::sin(i + 1.0)));
      return k;
    }();
    std::uint32_t m[16];
    for (int i = 0; i < 16; ++i)
      m[i] = std::uint32_t{p[4 * i]} | std::uint32_t{p[4 * i + 1]} << 8 |
             std::uint32_t{p[4 * i + 2]} << 16 | std::uint32_t{p[4 * i + 3]} << 24;
    std::uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3];
    for (int i = 0; i < 64; ++i) {
      std::uint32_t f;
      int g;
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
      const std::uint32_t next = b + Rotl(a + f + kSine[i] + m[g], kShift[i]);
      a = d;
      d = c;
      c = b;
      b = next;
    }
    state_[0] += a;
    state_[1] += b;
    state_[2] += c;
    state_[3] += d;
  }

  std::array<std::uint32_t, 4> state_{0x67452301u, 0xEFCDAB89u, 0x98BADCFEu, 0x10325476u};
  std::array<std::uint8_t, 64> block_{};
  std::size_t used_ = 0;
  std::uint64_t total_ = 0;
};

}  // namespace pelmora::test
