#include "acewriter/encode/BitWriter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "acewriter/encode/HuffmanCode.h"
#include "acewriter/encode/WidthTable.h"

namespace pelmora::acewriter::encode {
namespace {

TEST(BitWriter, FillsWordsMsbFirstAndStoresThemLittleEndian) {
  BitWriter out;
  out.Put(262, 9);  // the documented first 9 bits of the word 0x8309245E
  out.Put(0x8309245E & 0x7FFFFF, 23);
  out.Put(1, 1);
  EXPECT_EQ(out.BitCount(), 33u);
  const auto bytes = out.Finish();
  EXPECT_EQ(bytes, (std::vector<std::uint8_t>{0x5E, 0x24, 0x09, 0x83, 0x00, 0x00, 0x00, 0x80}));
}

TEST(BitWriter, PadsToWholeWordsAndEmptyStaysEmpty) {
  BitWriter empty;
  EXPECT_TRUE(empty.Finish().empty());
  BitWriter out;
  out.Put(0xFFFFFFFF, 32);
  out.Put(0xFFFFFFFF, 32);
  EXPECT_EQ(out.Finish().size(), 8u);
  BitWriter one;
  one.Put(3, 2);
  EXPECT_EQ(one.Finish(), (std::vector<std::uint8_t>{0, 0, 0, 0xC0}));
}

TEST(BitWriter, IgnoresBitsAboveTheCount) {
  BitWriter out;
  out.Put(0xFFFFFFF0, 4);
  out.Put(0xFFFFFFFF, 28);
  EXPECT_EQ(out.Finish(), (std::vector<std::uint8_t>{0xFF, 0xFF, 0xFF, 0x0F}));
}

// Reads the stream back as a reader does: whole words, MSB first.
class BitReader {
 public:
  explicit BitReader(const std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}
  std::uint32_t Get(unsigned n) {
    std::uint32_t v = 0;
    for (unsigned i = 0; i < n; ++i, ++pos_) {
      const std::size_t word = pos_ / 32;
      const unsigned bit = 31 - pos_ % 32;
      std::uint32_t w = 0;
      for (unsigned b = 0; b < 4 && word * 4 + b < bytes_.size(); ++b)
        w |= std::uint32_t{bytes_[word * 4 + b]} << (8 * b);
      v = (v << 1) | ((w >> bit) & 1);
    }
    return v;
  }

 private:
  const std::vector<std::uint8_t>& bytes_;
  std::size_t pos_ = 0;
};

TEST(WidthTable, AllZeroTableUsesTheMinimalForm) {
  BitWriter out;
  WriteWidthTable(out, std::vector<std::uint8_t>(256, 0), 11);
  const auto bytes = out.Finish();
  BitReader in(bytes);
  EXPECT_EQ(in.Get(9), 0u);  // NUM
  EXPECT_EQ(in.Get(4), 0u);  // LOW
  EXPECT_EQ(in.Get(4), 2u);  // UP
  EXPECT_EQ(in.Get(3), 1u);
  EXPECT_EQ(in.Get(3), 0u);
  EXPECT_EQ(in.Get(3), 0u);
  EXPECT_EQ(in.Get(1), 0u);
}

TEST(WidthTable, LengthTableOfTheDocumentedExample) {
  // Length symbol 4 alone: NUM 4, LOW 0, UP 2, width alphabet 0,1,1, a run
  // of four zero deltas, then delta 1.
  std::vector<std::uint8_t> widths(256, 0);
  widths[4] = 1;
  BitWriter out;
  const auto codes = WriteWidthTable(out, widths, 11);
  EXPECT_EQ(codes[4], 0);
  EXPECT_EQ(out.BitCount(), 9u + 4 + 4 + 9 + 5 + 1);
  const auto bytes = out.Finish();
  BitReader in(bytes);
  EXPECT_EQ(in.Get(9), 4u);
  EXPECT_EQ(in.Get(4), 0u);
  EXPECT_EQ(in.Get(4), 2u);
  EXPECT_EQ(in.Get(9), 0b000001001u);  // widths 0, 1, 1
  EXPECT_EQ(in.Get(5), 0b10000u);      // run `1` + 4 bits of 0
  EXPECT_EQ(in.Get(1), 0u);            // delta 1 `0`
}

TEST(WidthTable, ShapedWidthsFormAValidCodeThatCostsLessWithItsTable) {
  // Literals of a small block of machine code (ragged counts, every byte
  // value) and a length alphabet with a few long lengths far apart.
  std::mt19937 random(7);
  std::vector<std::uint32_t> literals(284, 0);
  for (unsigned s = 0; s < 256; ++s) literals[s] = 1 + random() % 6 + (s % 16 == 0 ? 60 : 0);
  std::vector<std::uint32_t> lengths(256, 0);
  for (unsigned s = 0; s < 12; ++s) lengths[s] = 400 >> (s / 2);
  for (unsigned s : {17u, 30u, 62u, 125u, 253u}) lengths[s] = 1;

  for (const auto& frequencies : {literals, lengths}) {
    const auto optimal = BuildWidths(frequencies, 11);
    const auto shaped = WidthsWithTable(frequencies, 11);
    double kraft = 0;
    std::uint64_t optimalBits = WidthTableBits(optimal, 11);
    std::uint64_t shapedBits = WidthTableBits(shaped, 11);
    for (std::size_t s = 0; s < frequencies.size(); ++s) {
      EXPECT_LE(shaped[s], 11u);
      if (frequencies[s] != 0) {
        EXPECT_NE(shaped[s], 0u) << "symbol " << s;
      }
      if (shaped[s] != 0) kraft += std::ldexp(1.0, -shaped[s]);
      optimalBits += std::uint64_t{frequencies[s]} * optimal[s];
      shapedBits += std::uint64_t{frequencies[s]} * shaped[s];
    }
    EXPECT_LE(kraft, 1.0);
    EXPECT_LT(shapedBits, optimalBits);
    // WidthTableBits counts what WriteWidthTable writes.
    BitWriter out;
    WriteWidthTable(out, shaped, 11);
    EXPECT_EQ(out.BitCount(), WidthTableBits(shaped, 11));
  }
}

}  // namespace
}  // namespace pelmora::acewriter::encode
