// Where the block coder cuts blocks: only where the codes would change.
#include <gtest/gtest.h>

#include <random>
#include <stdexcept>

#include "acewriter/encode/LzBlockCoder.h"

namespace pelmora::acewriter::encode {
namespace {

struct Items {
  std::vector<std::uint16_t> main;
  std::vector<std::uint16_t> length;
};

// `n` items: literals among `literals` byte values, and about one match in
// `matchEvery` (a distance symbol with one of `lengths` length symbols).
void Append(Items& run, std::size_t n, unsigned firstLiteral, unsigned literals,
            unsigned matchEvery, unsigned lengths, std::mt19937& rng) {
  for (std::size_t i = 0; i < n; ++i) {
    if (rng() % matchEvery == 0) {
      run.main.push_back(static_cast<std::uint16_t>(kFirstDistanceSymbol + 8 + rng() % 8));
      run.length.push_back(static_cast<std::uint16_t>(rng() % lengths));
    } else {
      run.main.push_back(static_cast<std::uint16_t>(firstLiteral + rng() % literals));
      run.length.push_back(kNoLengthSymbol);
    }
  }
}

TEST(BlockEnds, CutWhereTheCodesWouldChangeAndNowhereElse) {
  std::mt19937 rng(1);
  Items steady;
  Append(steady, 30000, 0, 200, 3, 40, rng);
  EXPECT_EQ(ChooseBlockEnds(steady.main, steady.length, 256), std::vector<std::size_t>{30000});

  // Text-like literals, then code-like matches, then text again: three
  // blocks, cut exactly at the changes (both on the 256-item grain).
  Items changing;
  Append(changing, 7680, 'a', 26, 20, 8, rng);
  Append(changing, 10240, 128, 128, 2, 200, rng);
  Append(changing, 5000, 'a', 26, 20, 8, rng);
  const auto ends = ChooseBlockEnds(changing.main, changing.length, 256);
  EXPECT_EQ(ends, (std::vector<std::size_t>{7680, 17920, 22920}));

  // A short stretch of a slightly other kind (twice the matches) does not
  // pay for the tables of two more blocks.
  Items blip;
  Append(blip, 12000, 'a', 26, 20, 8, rng);
  Append(blip, 512, 'a', 26, 10, 8, rng);
  Append(blip, 12000, 'a', 26, 20, 8, rng);
  EXPECT_EQ(ChooseBlockEnds(blip.main, blip.length, 256).size(), 1u);

  EXPECT_TRUE(ChooseBlockEnds({}, {}, 256).empty());
  const std::vector<std::uint16_t> tooMany(kMaxBlockSymbols + 1, 0);
  EXPECT_THROW(ChooseBlockEnds(tooMany, tooMany, 256), std::logic_error);
}

}  // namespace
}  // namespace pelmora::acewriter::encode
