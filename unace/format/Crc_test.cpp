#include "unace/format/Crc.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using pelmora::unace::format::AceCrc32;
using pelmora::unace::format::AceCrc32Of;
using pelmora::unace::format::HeaderCrc16;

std::span<const std::uint8_t> Bytes(const char* text) {
  return {reinterpret_cast<const std::uint8_t*>(text), std::strlen(text)};
}

TEST(AceCrc, MatchesTheFormatTestValues) {
  struct Case {
    const char* input;
    std::uint32_t crc32;
    std::uint16_t crc16;
  };
  const Case cases[] = {
      {"", 0xFFFFFFFFu, 0xFFFF},          {"a", 0x174841BCu, 0x41BC},
      {"42", 0xCDDB4F77u, 0x4F77},        {"abc", 0xCADBBE3Du, 0xBE3D},
      {"123456789", 0x340BC6D9u, 0xC6D9}, {"**ACE**", 0x81DAACFCu, 0xACFC},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(AceCrc32Of(Bytes(c.input)), c.crc32) << c.input;
    EXPECT_EQ(HeaderCrc16(Bytes(c.input)), c.crc16) << c.input;
  }
}

TEST(AceCrc, RunningValueEqualsOneShotOverAnySplit) {
  std::vector<std::uint8_t> data(1000);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 7 + 3);
  const std::uint32_t whole = AceCrc32Of(data);
  for (std::size_t split : {0u, 1u, 3u, 500u, 999u, 1000u}) {
    AceCrc32 crc;
    crc.Update(data.data(), split);
    crc.Update(data.data() + split, data.size() - split);
    EXPECT_EQ(crc.Value(), whole) << split;
  }
}

// Bit at a time, straight from the polynomial: the reference for the
// table-driven paths, whichever lengths and alignments they take.
std::uint32_t BitwiseCrc(const std::uint8_t* p, std::size_t n) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < n; ++i) {
    crc ^= p[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 1u) ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
  }
  return crc;
}

// Up to 600 bytes: the folding path takes 64-byte blocks, 16-byte steps and
// a tail, from 64 bytes on.
TEST(AceCrc, EveryLengthAndAlignmentMatchesTheBitwiseDefinition) {
  std::vector<std::uint8_t> data(620);
  std::uint32_t x = 12345;
  for (auto& b : data) b = static_cast<std::uint8_t>((x = x * 1103515245u + 12345u) >> 24);
  for (std::size_t offset = 0; offset < 8; ++offset)
    for (std::size_t length = 0; length <= 600; ++length) {
      ASSERT_EQ(AceCrc32Of({data.data() + offset, length}),
                BitwiseCrc(data.data() + offset, length))
          << "offset " << offset << " length " << length;
      // A running register that is not the initial one enters the first block.
      AceCrc32 split;
      split.Update(data.data() + offset, length / 3);
      split.Update(data.data() + offset + length / 3, length - length / 3);
      ASSERT_EQ(split.Value(), BitwiseCrc(data.data() + offset, length)) << "split " << length;
    }
}

TEST(AceCrc, HeaderCrcOfTheRealMainHeaderOfTAce) {
  // Header body (type byte on) of t.ace's MAIN header: 49 bytes.
  const std::uint8_t body[49] = {0x00, 0x00, 0x90, 0x2A, 0x2A, 0x41, 0x43, 0x45, 0x2A, 0x2A,
                                 0x14, 0x14, 0x02, 0x00, 0x21, 0x6F, 0x04, 0x41, 0xA6, 0x38,
                                 0xE0, 0x28, 0x00, 0x00, 0x00, 0x00, 0x16, '*',  'U',  'N',
                                 'R',  'E',  'G',  'I',  'S',  'T',  'E',  'R',  'E',  'D',
                                 ' ',  'V',  'E',  'R',  'S',  'I',  'O',  'N',  '*'};
  EXPECT_EQ(AceCrc32Of(body), 0x261345BBu);
  EXPECT_EQ(HeaderCrc16(body), 0x45BB);
}

}  // namespace
