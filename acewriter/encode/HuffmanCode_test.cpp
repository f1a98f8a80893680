#include "acewriter/encode/HuffmanCode.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

namespace pelmora::acewriter::encode {
namespace {

// Sum of 2^(max - w) over used symbols, i.e. the Kraft sum scaled by 2^max.
std::uint64_t ScaledKraft(const std::vector<std::uint8_t>& widths, unsigned max) {
  std::uint64_t sum = 0;
  for (auto w : widths)
    if (w) sum += std::uint64_t{1} << (max - w);
  return sum;
}

// Decodes `bits` (MSB-first string of '0'/'1') against codes to check that
// they form a prefix code that parses unambiguously.
bool IsPrefixFree(const std::vector<std::uint8_t>& widths,
                  const std::vector<std::uint16_t>& codes) {
  std::set<std::string> words;
  for (std::size_t s = 0; s < widths.size(); ++s) {
    if (!widths[s]) continue;
    std::string w;
    for (int b = widths[s] - 1; b >= 0; --b) w += ((codes[s] >> b) & 1) ? '1' : '0';
    words.insert(w);
  }
  for (const auto& a : words)
    for (const auto& b : words)
      if (a != b && b.compare(0, a.size(), a) == 0) return false;
  return true;
}

TEST(HuffmanWidths, RespectLimitAndStayCompleteForSkewedFrequencies) {
  // Fibonacci frequencies force an unlimited Huffman code far past 11 bits.
  std::vector<std::uint32_t> freq(40);
  std::uint32_t a = 1, b = 1;
  for (auto& f : freq) {
    f = a;
    const std::uint32_t c = a + b;
    a = b;
    b = c;
  }
  for (unsigned limit : {7u, 11u}) {
    const auto widths = BuildWidths(freq, limit);
    EXPECT_LE(*std::max_element(widths.begin(), widths.end()), limit);
    EXPECT_EQ(ScaledKraft(widths, limit), std::uint64_t{1} << limit) << "limit " << limit;
    // More frequent symbols never get longer codes.
    for (std::size_t s = 1; s < widths.size(); ++s) EXPECT_LE(widths[s], widths[s - 1]);
  }
}

TEST(HuffmanWidths, MatchUnlimitedHuffmanCostWhenLimitIsLoose) {
  // 1,1,2,4: optimal widths 3,3,2,1 (cost 3+3+4+4 = 14).
  const std::vector<std::uint32_t> freq{1, 1, 2, 4};
  const auto widths = BuildWidths(freq, 11);
  EXPECT_EQ(widths, (std::vector<std::uint8_t>{3, 3, 2, 1}));
}

TEST(HuffmanWidths, UnusedSymbolsGetZeroAndFewSymbolsGetOneBit) {
  EXPECT_EQ(BuildWidths(std::vector<std::uint32_t>{0, 0, 0}, 11),
            (std::vector<std::uint8_t>{0, 0, 0}));
  EXPECT_EQ(BuildWidths(std::vector<std::uint32_t>{0, 9, 0}, 11),
            (std::vector<std::uint8_t>{0, 1, 0}));
  EXPECT_EQ(BuildWidths(std::vector<std::uint32_t>{5, 0, 1000}, 11),
            (std::vector<std::uint8_t>{1, 0, 1}));
}

TEST(HuffmanWidths, FullAlphabetAtTheLimitIsUniform) {
  std::vector<std::uint32_t> freq(128, 1);
  freq[0] = 1000000;
  const auto widths = BuildWidths(freq, 7);
  for (auto w : widths) EXPECT_EQ(w, 7);
  EXPECT_THROW(BuildWidths(std::vector<std::uint32_t>(129, 1), 7), std::logic_error);
}

TEST(ReaderCodes, ReproduceTheDocumentedExample) {
  // 263-entry main table of the abc example: a, b, c width 2, symbol 262 width 2.
  std::vector<std::uint8_t> widths(263, 0);
  widths['a'] = widths['b'] = widths['c'] = widths[262] = 2;
  const auto codes = ReaderCodes(widths, 11);
  EXPECT_EQ(codes['a'], 3);
  EXPECT_EQ(codes['b'], 2);
  EXPECT_EQ(codes['c'], 1);
  EXPECT_EQ(codes[262], 0);
}

TEST(ReaderCodes, TieOrderDependsOnTransmittedLength) {
  // The same widths with extra trailing zeros sort differently; codes must
  // be computed from exactly the transmitted array.
  std::vector<std::uint8_t> shortArray(263, 0);
  shortArray['a'] = shortArray['b'] = shortArray['c'] = shortArray[262] = 2;
  std::vector<std::uint8_t> longArray(shortArray);
  longArray.resize(283, 0);
  const auto a = ReaderCodes(shortArray, 11);
  const auto b = ReaderCodes(longArray, 11);
  EXPECT_TRUE(IsPrefixFree(shortArray, a));
  EXPECT_TRUE(IsPrefixFree(longArray, b));
  EXPECT_NE(std::vector<std::uint16_t>(b.begin(), b.begin() + 263), a);
}

TEST(ReaderCodes, ShorterCodesAreNumericallySmallerAndPrefixFree) {
  std::mt19937 rng(7);
  for (int round = 0; round < 300; ++round) {
    std::vector<std::uint32_t> freq(1 + rng() % 300);
    for (auto& f : freq) f = rng() % 4 == 0 ? 0 : rng() % (1u << (rng() % 16));
    const auto widths = BuildWidths(freq, 11);
    const auto codes = ReaderCodes(widths, 11);
    ASSERT_TRUE(IsPrefixFree(widths, codes)) << "round " << round;
    const auto used = std::count_if(widths.begin(), widths.end(), [](auto w) { return w != 0; });
    if (used >= 2) {
      ASSERT_EQ(ScaledKraft(widths, 11), 1u << 11) << "round " << round;
    }
    // Left-aligned codes of shorter widths start below those of longer ones.
    for (std::size_t x = 0; x < widths.size(); ++x)
      for (std::size_t y = 0; y < widths.size(); ++y)
        if (widths[x] && widths[y] && widths[x] < widths[y]) {
          ASSERT_LT(codes[x] << (11 - widths[x]), codes[y] << (11 - widths[y]));
        }
  }
}

TEST(ReaderCodes, RejectOverfullOrTooWideTables) {
  EXPECT_THROW(ReaderCodes(std::vector<std::uint8_t>{1, 1, 1}, 11), std::logic_error);
  EXPECT_THROW(ReaderCodes(std::vector<std::uint8_t>{12, 1}, 11), std::logic_error);
}

TEST(ReaderSortOrder, SortsByDescendingWidth) {
  std::mt19937 rng(3);
  for (int round = 0; round < 200; ++round) {
    std::vector<std::uint8_t> widths(1 + rng() % 40);
    for (auto& w : widths) w = static_cast<std::uint8_t>(rng() % 12);
    const auto order = ReaderSortOrder(widths);
    ASSERT_EQ(order.size(), widths.size());
    std::vector<std::uint16_t> sorted(order);
    std::sort(sorted.begin(), sorted.end());
    for (std::size_t i = 0; i < sorted.size(); ++i) ASSERT_EQ(sorted[i], i);  // a permutation
    for (std::size_t i = 1; i < order.size(); ++i)
      ASSERT_GE(widths[order[i - 1]], widths[order[i]]);
  }
}

}  // namespace
}  // namespace pelmora::acewriter::encode
