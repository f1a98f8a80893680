// The published vectors of the format: streams produced by independent
// writers, decoded bit-exactly.
#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "unace/decode/BitReader.h"
#include "unace/decode/Comment.h"
#include "unace/decode/TestStreams_testutil.h"

namespace pelmora::unace::decode::test {
namespace {

const char kAbcArchive[] =
    "cd241b000000002a2a4143452a2a0a0a000000002158000000000000000000"
    "b1db2a0001010018000000090000000000215820000000e7b7d2b901030000"
    "000007006162632e74787400000000"
    "5e2409837cffbdf77befbdf7040858de2700800900000020";

Bytes AbcPackedData() {
  const Bytes archive = FromHex(kAbcArchive);
  EXPECT_EQ(archive.size(), 101u);
  return Bytes(archive.end() - 24, archive.end());
}

TEST(Vectors, BitReaderTakesWordsMostSignificantBitFirst) {
  MemoryInput input(FromHex("5e240983"));
  BitReader bits(input);
  EXPECT_EQ(bits.Read(9), 262u);
  EXPECT_EQ(bits.Read(4), 1u);
  EXPECT_EQ(bits.Read(4), 2u);
}

TEST(Vectors, Ace10ArchiveBitByBit) {
  const DecodeResult r = DecodeOne(AbcPackedData(), 9, false, 1024);
  ASSERT_EQ(r.status, Status::Ok) << r.error;
  EXPECT_EQ(std::string(r.output.begin(), r.output.end()), "abcabcabc");
  EXPECT_EQ(AceCrc(r.output), 0xB9D2B7E7u);
}

TEST(Vectors, Ace10ArchiveTablesGiveThePublishedCodes) {
  MemoryInput input(AbcPackedData());
  BitReader bits(input);
  HuffmanTable main;
  main.Read(bits, 282, 11);
  EXPECT_EQ(main.WidthOf('a'), 2);
  EXPECT_EQ(main.CodeOf('a'), 0b11u);
  EXPECT_EQ(main.CodeOf('b'), 0b10u);
  EXPECT_EQ(main.CodeOf('c'), 0b01u);
  EXPECT_EQ(main.CodeOf(262), 0b00u);
  EXPECT_EQ(bits.BitsConsumed(), 110u);
  HuffmanTable lengths;
  lengths.Read(bits, 255, 11);
  EXPECT_EQ(lengths.WidthOf(4), 1);
  EXPECT_EQ(bits.BitsConsumed(), 142u);
  EXPECT_EQ(bits.Read(15), 4u);
}

TEST(Vectors, SameStreamBlockedAlsoDecodes) {
  // Without a TYPECODE the blocked format is the old stream.
  const DecodeResult r = DecodeOne(AbcPackedData(), 9, true, 1024);
  ASSERT_EQ(r.status, Status::Ok) << r.error;
  EXPECT_EQ(std::string(r.output.begin(), r.output.end()), "abcabcabc");
}

TEST(Vectors, RealMainComment) {
  const Bytes packed = FromHex("147418003f7d354d2af17d5f6c1b7ca85a5f27070000e00e00000000");
  const auto decoded = DecodeComment(packed.data(), packed.size());
  ASSERT_TRUE(std::holds_alternative<std::string>(decoded))
      << std::get<CommentFailure>(decoded).text;
  EXPECT_EQ(std::get<std::string>(decoded), "main comment");
}

struct BlockedVector {
  const char* name;
  std::uint64_t size;
  const char* expected;
  const char* packed;
};

class Ace20Vectors : public ::testing::TestWithParam<BlockedVector> {};

TEST_P(Ace20Vectors, DecodeToThePublishedBytes) {
  const BlockedVector& v = GetParam();
  const DecodeResult r = DecodeOne(FromHex(v.packed), v.size, true, 1024);
  ASSERT_EQ(r.status, Status::Ok) << r.error;
  EXPECT_EQ(r.output, FromHex(v.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Modes, Ace20Vectors,
    ::testing::Values(
        BlockedVector{"Pic", 8, "0a141e280c16202a",
                      "7f02818dffffffffffffffff080400e880030100241f66214020f63f"},
        BlockedVector{"Sound8", 8, "80828486888a8c8e",
                      "7f02818dffffffffffffffff080400e8c70101007b2f92c0efbdf7debff7de7b271020e188"
                      "0000fd00000100"},
        BlockedVector{"Delta", 8, "0164026503660467",
                      "7f02818dffffffffffffffff080400e881000100c2200200f79e1e49bdf7b4bd2ade7bef24"
                      "020104b0090140"},
        BlockedVector{"Exe", 14, "90e810000000e9feff9090909090",
                      "7f02818dffffffffffffffff080400e80001010067da04c07bfe78dbfebcf7de7df3de7b04"
                      "04683faf0200080029"
                      "3d50"}),
    [](const ::testing::TestParamInfo<BlockedVector>& param) {
      return std::string(param.param.name);
    });

}  // namespace
}  // namespace pelmora::unace::decode::test
