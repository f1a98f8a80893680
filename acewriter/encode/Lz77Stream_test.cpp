// The ACE 1.0 stream against the fully documented example archive.
#include <gtest/gtest.h>

#include <string>

#include "acewriter/encode/Encoder.h"

namespace pelmora::acewriter::encode {
namespace {

std::vector<std::uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

TEST(Lz77Stream, ReproducesTheDocumentedAbcStreamBitForBit) {
  Options options;
  options.dictionaryBits = 10;
  Encoder encoder(options);
  const auto packed = encoder.EncodeMember(Bytes("abcabcabc"), false);
  const std::vector<std::uint8_t> expected{0x5e, 0x24, 0x09, 0x83, 0x7c, 0xff, 0xbd, 0xf7,
                                           0x7b, 0xef, 0xbd, 0xf7, 0x04, 0x08, 0x58, 0xde,
                                           0x27, 0x00, 0x80, 0x09, 0x00, 0x00, 0x00, 0x20};
  EXPECT_EQ(packed, expected);
  EXPECT_EQ(encoder.CompressionType(), 1);
  EXPECT_EQ(encoder.Params(), 0);
}

TEST(Lz77Stream, EmptyMemberHasNoBits) {
  Encoder encoder(Options{});
  EXPECT_TRUE(encoder.EncodeMember({}, false).empty());
}

TEST(EncoderOptions, RejectOutOfRangeValues) {
  Options o;
  o.dictionaryBits = 23;
  EXPECT_THROW(Encoder{o}, std::invalid_argument);
  o = Options{};
  o.level = 0;
  EXPECT_THROW(Encoder{o}, std::invalid_argument);
  o = Options{};
  o.mode = BlockedMode::Exe;  // needs the blocked method
  EXPECT_THROW(Encoder{o}, std::invalid_argument);
  o.method = Method::Blocked;
  EXPECT_NO_THROW(Encoder{o});
}

}  // namespace
}  // namespace pelmora::acewriter::encode
