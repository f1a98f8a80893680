// The growing ring: what it keeps while it grows, and what it costs.
#include <gtest/gtest.h>

#include <random>

#include "unace/decode/TestStreams_testutil.h"
#include "unace/decode/Window.h"

namespace pelmora::unace::decode::test {
namespace {

TEST(Window, GrowsWithItsHistoryAndKeepsEveryByteAtItsPosition) {
  constexpr std::size_t kLargest = std::size_t{1} << 16;
  Window window(kLargest);
  EXPECT_EQ(window.Capacity(), 0u) << "nothing is allocated before the first byte";

  // An earlier member leaves the write position off the ring's start, so
  // the history that follows wraps around the small rings as they grow.
  const Bytes earlier(3000, 0xEE);
  window.Append(earlier.data(), earlier.size());
  EXPECT_LE(window.Capacity(), 4096u) << "a small member must not cost a large ring";
  window.Clear();

  std::mt19937 random(21);
  Bytes written;
  while (written.size() < 3 * kLargest) {
    Bytes piece(1 + random() % 9000);
    for (auto& b : piece) b = static_cast<std::uint8_t>(random());
    window.Append(piece.data(), piece.size());
    written.insert(written.end(), piece.begin(), piece.end());

    const std::size_t reachable = std::min(written.size(), kLargest);
    ASSERT_EQ(window.History(), reachable);
    ASSERT_GE(window.Capacity(), reachable);
    ASSERT_LE(window.Capacity(), std::max<std::size_t>(2 * written.size(), 4096))
        << "grown beyond its need";
    Bytes kept(reachable);
    window.CopyOut(window.Position() - reachable, reachable, kept.data());
    ASSERT_TRUE(std::equal(kept.begin(), kept.end(),
                           written.end() - static_cast<std::ptrdiff_t>(reachable)))
        << "after " << written.size() << " bytes";
  }
  EXPECT_EQ(window.Capacity(), kLargest);
}

TEST(Window, ReserveCoversBytesWrittenDirectly) {
  Window window(std::size_t{1} << 18);
  const Bytes first(5000, 'a');
  window.Append(first.data(), first.size());
  window.Reserve(70000);
  ASSERT_GE(window.Capacity(), 75000u);
  for (std::size_t i = 0; i < 70000; ++i)
    window.Data()[(window.Position() + i) & window.Mask()] = static_cast<std::uint8_t>(i);
  window.Advance(70000);
  Bytes back(75000);
  window.CopyOut(window.Position() - back.size(), back.size(), back.data());
  EXPECT_TRUE(
      std::all_of(back.begin(), back.begin() + 5000, [](std::uint8_t b) { return b == 'a'; }));
  for (std::size_t i = 0; i < 70000; ++i)
    ASSERT_EQ(back[5000 + i], static_cast<std::uint8_t>(i)) << i;
}

}  // namespace
}  // namespace pelmora::unace::decode::test
