#include <gtest/gtest.h>

#include <cstring>
#include <numeric>

#include "acewriter/encode/BlockedStream.h"

namespace acewriter::encode {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::size_t Total(const std::vector<Segment>& plan) {
  return std::accumulate(plan.begin(), plan.end(), std::size_t{0},
                         [](std::size_t n, const Segment& s) { return n + s.length; });
}

Options Blocked(BlockedMode mode) {
  Options o;
  o.method = Method::Blocked;
  o.mode = mode;
  return o;
}

void PutLe(Bytes& b, std::size_t at, std::uint32_t v, int n) {
  for (int i = 0; i < n; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

Bytes FakeWave(unsigned channels, unsigned bits, std::uint32_t dataBytes, std::size_t trailer) {
  Bytes w(44 + dataBytes + trailer, 0x11);
  std::memcpy(w.data(), "RIFF", 4);
  std::memcpy(w.data() + 8, "WAVEfmt ", 8);
  PutLe(w, 16, 16, 4);
  PutLe(w, 20, 1, 2);  // PCM
  PutLe(w, 22, channels, 2);
  PutLe(w, 34, bits, 2);
  std::memcpy(w.data() + 36, "data", 4);
  PutLe(w, 40, dataBytes, 4);
  return w;
}

// Code-like bytes: a CALL to an earlier place every 20 bytes.
void PutCode(Bytes& b, std::size_t begin, std::size_t end) {
  for (std::size_t i = begin; i + 20 <= end; i += 20) {
    b[i] = 0xE8;
    PutLe(b, i + 1, static_cast<std::uint32_t>(-static_cast<std::int32_t>(i % 5000) - 5), 4);
  }
}

TEST(SegmentPlanner, AutoCodesCodeRegionsInExeMode) {
  constexpr std::size_t kRegion = 64 * 1024;
  Bytes data(5 * kRegion, 'a');
  PutCode(data, 0, 2 * kRegion);
  PutCode(data, 4 * kRegion, 5 * kRegion);
  data[2 * kRegion - 2] = 0xE9;  // a cut JMP at the end of the first code stretch
  const auto plan = PlanSegments(data, Blocked(BlockedMode::Auto));
  ASSERT_EQ(plan.size(), 3u);
  EXPECT_EQ(plan[0].mode, BlockedMode::Exe);
  EXPECT_EQ(plan[0].exeMode, 1);
  EXPECT_EQ(plan[0].length, 2 * kRegion - 2);
  EXPECT_EQ(plan[1].mode, BlockedMode::Lz77);
  EXPECT_EQ(plan[1].length, 2 * kRegion + 2);
  EXPECT_EQ(plan[2].mode, BlockedMode::Exe);
  EXPECT_EQ(Total(plan), data.size());

  Bytes text(3 * kRegion, 'x');
  text[100] = 0xE8;  // one stray E8 does not make code
  EXPECT_EQ(PlanSegments(text, Blocked(BlockedMode::Auto)).size(), 1u);
  EXPECT_EQ(PlanSegments(text, Blocked(BlockedMode::Auto))[0].mode, BlockedMode::Lz77);
}

TEST(SegmentPlanner, AutoCodesWaveSamplesInSoundMode) {
  const Bytes wave = FakeWave(2, 16, 4002, 10);
  const auto plan = PlanSegments(wave, Blocked(BlockedMode::Auto));
  ASSERT_GE(plan.size(), 3u);
  EXPECT_EQ(plan[0].mode, BlockedMode::Lz77);
  EXPECT_EQ(plan[0].length, 44u);
  EXPECT_EQ(plan[1].mode, BlockedMode::Sound);
  EXPECT_EQ(plan[1].soundLayout, SoundLayout::Stereo16);
  EXPECT_EQ(plan[1].length, 4000u);
  EXPECT_EQ(Total(plan), wave.size());
  EXPECT_EQ(PlanSegments(FakeWave(1, 8, 400, 0), Blocked(BlockedMode::Auto))[1].soundLayout, SoundLayout::Mono8);
  EXPECT_EQ(PlanSegments(FakeWave(1, 16, 400, 0), Blocked(BlockedMode::Auto))[1].soundLayout, SoundLayout::Mono16);
  // 24-bit audio has no SOUND layout.
  EXPECT_EQ(PlanSegments(FakeWave(2, 24, 400, 0), Blocked(BlockedMode::Auto)).size(), 1u);
}

TEST(SegmentPlanner, SoundLeavesAtLeastFourBytesBehindItself) {
  for (std::size_t n : {400u, 401u, 402u, 403u, 3u}) {
    const auto plan = PlanSegments(Bytes(n, 1), Blocked(BlockedMode::Sound));
    EXPECT_EQ(Total(plan), n);
    if (plan.front().mode == BlockedMode::Sound) {
      EXPECT_EQ(plan.front().length % 4, 0u);
      const std::size_t rest = n - plan.front().length;
      EXPECT_TRUE(rest == 0 || rest >= 4) << n;
    } else {
      EXPECT_LT(n, 8u);
    }
  }
}

TEST(SegmentPlanner, DeltaUsesWholeChunksOnly) {
  Options o = Blocked(BlockedMode::Delta);
  o.deltaDistance = 3;
  o.deltaLength = 100;  // rounded down to 99
  const auto plan = PlanSegments(Bytes(1000, 1), o);
  ASSERT_EQ(plan.size(), 2u);
  EXPECT_EQ(plan[0].deltaLength, 99u);
  EXPECT_EQ(plan[0].length, 990u);
  EXPECT_EQ(plan[1].mode, BlockedMode::Lz77);
  EXPECT_EQ(plan[1].length, 10u);
}

TEST(SegmentPlanner, PicMayEndTheMemberInsideARow) {
  Options o = Blocked(BlockedMode::Pic);
  o.picWidth = 30;
  const auto plan = PlanSegments(Bytes(1000, 1), o);
  ASSERT_EQ(plan.size(), 1u);
  EXPECT_EQ(plan[0].length, 1000u);
  EXPECT_EQ(plan[0].picWidth, 30u);
}

TEST(SegmentPlanner, Ace10MethodIsAlwaysOneLz77Segment) {
  const auto plan = PlanSegments(Bytes(100, 0xE8), Options{});
  ASSERT_EQ(plan.size(), 1u);
  EXPECT_EQ(plan[0].mode, BlockedMode::Lz77);
  EXPECT_TRUE(PlanSegments({}, Options{}).empty());
}

}  // namespace
}  // namespace acewriter::encode
