// Code construction from widths: the tie order, the lone-symbol rule and
// the refusal of tables that cannot be a code.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "unace/decode/BitReader.h"
#include "unace/decode/Huffman.h"
#include "unace/decode/TestStreams_testutil.h"
#include "unace/format/CodeOrder.h"

namespace pelmora::unace::decode::test {
namespace {

using format::SortByWidthDescending;
using format::WidthSymbol;

HuffmanTable Build(const std::vector<std::uint8_t>& widths, int maxWidth = 11) {
  HuffmanTable table;
  FaultState fault;
  EXPECT_TRUE(table.Build(widths.data(), widths.size(), maxWidth, fault)) << fault.Reason();
  return table;
}

TEST(Huffman, TrailingZeroWidthsChangeTheTieOrder) {
  // Worked by hand through the sort: with n = 2 the pair stays in symbol
  // order after the swap-back, with a third (unused) entry it does not.
  const HuffmanTable two = Build({1, 1});
  EXPECT_EQ(two.CodeOf(0), 0u);
  EXPECT_EQ(two.CodeOf(1), 1u);
  const HuffmanTable three = Build({1, 1, 0});
  EXPECT_EQ(three.CodeOf(0), 1u);
  EXPECT_EQ(three.CodeOf(1), 0u);
}

TEST(Huffman, SortKeepsEveryPairAndOrdersWidthsDescending) {
  std::mt19937 random(7);
  for (int round = 0; round < 200; ++round) {
    std::vector<WidthSymbol> list(1 + random() % 300);
    for (std::size_t i = 0; i < list.size(); ++i)
      list[i] = {static_cast<std::uint8_t>(random() % 12), static_cast<std::uint16_t>(i)};
    std::vector<WidthSymbol> sorted = list;
    SortByWidthDescending(sorted);
    ASSERT_TRUE(std::is_sorted(sorted.begin(), sorted.end(),
                               [](auto a, auto b) { return a.width > b.width; }));
    std::vector<int> seen(list.size(), 0);
    for (const WidthSymbol& e : sorted) {
      ASSERT_EQ(e.width, list[e.symbol].width);
      ++seen[e.symbol];
    }
    EXPECT_TRUE(std::all_of(seen.begin(), seen.end(), [](int n) { return n == 1; }));
  }
}

// Widths of a complete code: split leaves at random until the wanted count.
std::vector<std::uint8_t> RandomCompleteWidths(std::mt19937& random, std::size_t symbols,
                                               std::size_t used, int maxWidth) {
  std::vector<int> leaves{1, 1};
  while (leaves.size() < used) {
    const std::size_t pick = random() % leaves.size();
    if (leaves[pick] >= maxWidth) continue;
    ++leaves[pick];
    leaves.push_back(leaves[pick]);
  }
  std::vector<std::uint8_t> widths(symbols, 0);
  std::vector<std::size_t> slots(symbols);
  for (std::size_t i = 0; i < symbols; ++i) slots[i] = i;
  std::shuffle(slots.begin(), slots.end(), random);
  for (std::size_t i = 0; i < used; ++i) widths[slots[i]] = static_cast<std::uint8_t>(leaves[i]);
  return widths;
}

TEST(Huffman, RandomCompleteCodesArePrefixFreeAndShortCodesComeFirst) {
  std::mt19937 random(11);
  for (int round = 0; round < 300; ++round) {
    const std::size_t symbols = 2 + random() % 288;
    const std::size_t used = 2 + random() % std::min<std::size_t>(symbols - 1, 200);
    const std::vector<std::uint8_t> widths = RandomCompleteWidths(random, symbols, used, 11);
    const HuffmanTable table = Build(widths);
    struct Entry {
      std::uint32_t start;
      int width;
    };
    std::vector<Entry> entries;
    for (std::size_t s = 0; s < symbols; ++s) {
      ASSERT_EQ(table.WidthOf(static_cast<std::uint32_t>(s)), widths[s]) << "symbol " << s;
      if (widths[s] != 0)
        entries.push_back(
            {table.CodeOf(static_cast<std::uint32_t>(s)) << (11 - widths[s]), widths[s]});
    }
    std::sort(entries.begin(), entries.end(), [](auto a, auto b) { return a.start < b.start; });
    std::uint32_t next = 0;
    for (const Entry& e : entries) {
      ASSERT_EQ(e.start, next) << "codes must tile the table without gaps or overlaps";
      next += 1u << (11 - e.width);
    }
    EXPECT_EQ(next, 1u << 11);
    for (std::size_t i = 1; i < entries.size(); ++i)
      ASSERT_LE(entries[i - 1].width, entries[i].width);
  }
}

TEST(Huffman, LoneSymbolReadsOneBitButFillsByItsWidth) {
  const HuffmanTable table = Build({0, 0, 3});
  MemoryInput zeros(Bytes(8, 0x00));
  BitReader bits(zeros);
  EXPECT_EQ(table.Decode(bits), 2u);
  EXPECT_EQ(bits.BitsConsumed(), 1u);

  // "0" then "01...": the lone code, but in a part of the table it never filled.
  MemoryInput other(FromHex("00000020"));
  BitReader bits2(other);
  EXPECT_EQ(table.Decode(bits2), HuffmanTable::kNoSymbol);
  EXPECT_EQ(bits2.Fault().Kind(), Status::Corrupt);
  EXPECT_EQ(bits2.BitsConsumed(), 0u);
}

TEST(Huffman, AllZeroTableMakesItsFirstSymbolAOneBitCode) {
  const HuffmanTable table = Build({0});
  MemoryInput ones(Bytes(4, 0xFF));
  BitReader bits(ones);
  EXPECT_EQ(table.Decode(bits), 0u);
  EXPECT_EQ(bits.BitsConsumed(), 1u);
}

TEST(Huffman, RefusesTablesThatCannotBeACodeAndThenDecodesNothing) {
  const struct {
    std::vector<std::uint8_t> widths;
    int maxWidth;
  } refused[] = {{{1, 1, 1}, 11}, {{12, 1}, 11}, {{2, 2, 2, 2, 3}, 7}};
  for (const auto& [widths, maxWidth] : refused) {
    HuffmanTable table = Build({1, 1});
    FaultState fault;
    EXPECT_FALSE(table.Build(widths.data(), widths.size(), maxWidth, fault));
    EXPECT_EQ(fault.Kind(), Status::Corrupt);
    // What the refused build left must not decode as the earlier code.
    MemoryInput input(Bytes(8, 0x00));
    BitReader bits(input);
    EXPECT_EQ(table.Decode(bits), HuffmanTable::kNoSymbol);
    EXPECT_TRUE(bits.Failed());
  }
}

TEST(Huffman, WidthTableRoundTripsThroughTheTransmission) {
  std::mt19937 random(3);
  for (int round = 0; round < 50; ++round) {
    const std::vector<std::uint8_t> widths =
        RandomCompleteWidths(random, 283, 2 + random() % 200, 11);
    BitWriter out;
    Code(widths, 11).WriteTable(out);
    MemoryInput input(out.Finish());
    BitReader bits(input);
    std::vector<std::uint8_t> read = ReadWidths(bits, 283, 11);
    std::vector<std::uint8_t> expected = widths;
    ASSERT_EQ(read, expected);
    EXPECT_EQ(bits.BitsConsumed(), out.BitCount());
  }
}

TEST(Huffman, WidthTableClampsItsCountAndItsRuns) {
  BitWriter out;
  out.Put(300, 9);  // NUM beyond the alphabet: only 256 entries are read
  out.Put(0, 4);
  out.Put(2, 4);  // UP 2: symbols 0, 1 and the run symbol 2
  out.Put(2, 3);
  out.Put(2, 3);
  out.Put(1, 3);                  // codes: run "0", then 1 and 0 sorted into "10"/"11"
  for (int i = 0; i < 14; ++i) {  // 14 runs of 19 zeros: more than 256 in all
    out.Put(0, 1);
    out.Put(15, 4);
  }
  MemoryInput input(out.Finish());
  BitReader bits(input);
  const std::vector<std::uint8_t> widths = ReadWidths(bits, 255, 11);
  EXPECT_EQ(widths.size(), 256u);
  EXPECT_TRUE(std::all_of(widths.begin(), widths.end(), [](std::uint8_t w) { return w == 0; }));
}

TEST(Huffman, WidthAboveTheAlphabetMaximumIsCorrupt) {
  BitWriter out;
  out.Put(1, 9);   // two entries
  out.Put(15, 4);  // LOW 15
  out.Put(2, 4);
  out.Put(1, 3);
  out.Put(1, 3);
  out.Put(0, 3);  // one bit each: symbol 1 is "0", symbol 0 is "1" (tie order)
  out.Put(0, 1);  // value 1 -> width 16
  out.Put(1, 1);  // delta 0: width 16 again
  MemoryInput input(out.Finish());
  BitReader bits(input);
  EXPECT_TRUE(ReadWidths(bits, 283, 11).empty());
  EXPECT_EQ(bits.Fault().Kind(), Status::Corrupt);
}

}  // namespace
}  // namespace pelmora::unace::decode::test
