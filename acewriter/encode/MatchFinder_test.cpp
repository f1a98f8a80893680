// The thorough finder's trees: the longest match, however many shorter
// ones with the same start lie nearer.
#include <gtest/gtest.h>

#include <random>

#include "acewriter/encode/MatchFinder.h"

namespace pelmora::acewriter::encode {
namespace {

TEST(MatchFinderTrees, FindTheLongestMatchBehindThousandsOfShortOnes) {
  std::mt19937 rng(1);
  std::vector<std::uint8_t> text;
  const auto randomBytes = [&](std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) text.push_back(static_cast<std::uint8_t>(rng()));
  };
  // "ABCD" and 200 random bytes, then 3000 times "ABCD" and 4 others, then
  // the first stretch again: only the first "ABCD" goes on alike.
  text.insert(text.end(), {'A', 'B', 'C', 'D'});
  randomBytes(200);
  for (int k = 0; k < 3000; ++k) {
    text.insert(text.end(), {'A', 'B', 'C', 'D'});
    randomBytes(4);
  }
  const std::size_t again = text.size();
  text.insert(text.end(), text.begin(), text.begin() + 204);

  MatchFinder finder(20, true);
  ASSERT_EQ(finder.Append(text), text.size());
  finder.AdvanceTo(again);
  std::vector<std::size_t> found;
  finder.InsertAndFind(again, MatchFinder::kTreeLength, MatchFinder::kTreeDepth,
                       [&](std::size_t candidate, std::size_t) { found.push_back(candidate); });
  ASSERT_FALSE(found.empty());
  EXPECT_EQ(found.back(), 0u);
  EXPECT_EQ(finder.MatchLength(found.back(), again, 204), 204u);
  // Every report was longer than the one before.
  for (std::size_t k = 1; k < found.size(); ++k)
    EXPECT_GT(finder.MatchLength(found[k], again, 204),
              finder.MatchLength(found[k - 1], again, 204));

  // Positions that AdvanceTo indexes go into the trees as well.
  text.insert(text.end(), text.begin(), text.begin() + 204);
  MatchFinder second(20, true);
  second.Append(text);
  second.AdvanceTo(again + 204);
  found.clear();
  second.InsertAndFind(again + 204, MatchFinder::kTreeLength, MatchFinder::kTreeDepth,
                       [&](std::size_t candidate, std::size_t) { found.push_back(candidate); });
  ASSERT_FALSE(found.empty());
  EXPECT_EQ(second.MatchLength(found.back(), again + 204, 204), 204u);
}

}  // namespace
}  // namespace pelmora::acewriter::encode
