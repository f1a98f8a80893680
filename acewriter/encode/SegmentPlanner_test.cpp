#include <gtest/gtest.h>

#include <cstring>
#include <numeric>

#include "acewriter/encode/BlockedStream.h"
#include "acewriter/encode/PeImage_testutil.h"

namespace pelmora::acewriter::encode {
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
  for (int i = 0; i < n; ++i)
    b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
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

// A program is planned by its sections: code in EXE mode, the tables of
// records in DELTA mode over their whole length, the rest in one LZ77
// stretch. Headers that do not describe sections fall back to looking at
// the bytes.
TEST(SegmentPlanner, AutoPlansAProgramBySections) {
  for (const bool amd64 : {true, false}) {
    Bytes text(0x1800);
    PutCode(text, 0, text.size());
    const std::vector<test::ImageSection> sections{
        {".text", text, true},
        {".rdata", Bytes(0x500, 'r')},
        {".pdata", Bytes(1200, 3)},
        {".reloc", Bytes(0x301, 2)},
        {".debug_ranges", Bytes(0x400, 1)},
        {".debug_info", Bytes(0x300, 'i')},
    };
    std::vector<std::size_t> at;
    const Bytes image = test::BuildPeImage(amd64, sections, &at);
    const auto plan = PlanSegments(image, Blocked(BlockedMode::Auto));
    std::vector<Segment> expected;
    const auto add = [&expected](BlockedMode mode, std::size_t length, unsigned distance = 0,
                                 std::size_t chunk = 0) {
      Segment s;
      s.mode = mode;
      s.length = length;
      s.deltaDistance = static_cast<std::uint8_t>(distance);
      s.deltaLength = static_cast<std::uint32_t>(chunk);
      expected.push_back(s);
    };
    add(BlockedMode::Lz77, at[0]);
    add(BlockedMode::Exe, text.size());
    if (amd64) {
      add(BlockedMode::Lz77, at[2] - at[1]);
      add(BlockedMode::Delta, 1200, 12, 1200);
      add(BlockedMode::Lz77, at[3] - at[2] - 1200);
    } else {  // .pdata means nothing special to i686 programs
      add(BlockedMode::Lz77, at[3] - at[1]);
    }
    add(BlockedMode::Delta, 0x300, 2, 0x300);  // whole 2-byte entries
    add(BlockedMode::Lz77, at[4] - at[3] - 0x300);
    add(BlockedMode::Delta, 0x400, amd64 ? 8 : 4, 0x400);
    add(BlockedMode::Lz77, image.size() - at[5]);
    ASSERT_EQ(plan.size(), expected.size()) << "amd64 " << amd64;
    for (std::size_t k = 0; k < plan.size(); ++k) {
      EXPECT_EQ(plan[k].mode, expected[k].mode) << k;
      EXPECT_EQ(plan[k].length, expected[k].length) << k;
      if (plan[k].mode == BlockedMode::Exe) {
        EXPECT_EQ(plan[k].exeMode, 1);
      }
      if (plan[k].mode == BlockedMode::Delta) {
        EXPECT_EQ(plan[k].deltaDistance, expected[k].deltaDistance) << k;
        EXPECT_EQ(plan[k].deltaLength, expected[k].deltaLength) << k;
      }
    }

    // A section table reaching past the file, or no code section: the
    // code-like regions decide, as for any other member.
    Bytes broken = image;
    PutLe(broken, 0x86, 200, 2);
    Bytes codeless = test::BuildPeImage(amd64, {{".data", text}});
    for (const Bytes* b : {&broken, &codeless}) {
      const auto regions = PlanSegments(*b, Blocked(BlockedMode::Auto));
      EXPECT_EQ(regions.size(), 1u);
      EXPECT_EQ(regions[0].mode, BlockedMode::Exe);
    }
  }
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
  EXPECT_EQ(PlanSegments(FakeWave(1, 8, 400, 0), Blocked(BlockedMode::Auto))[1].soundLayout,
            SoundLayout::Mono8);
  EXPECT_EQ(PlanSegments(FakeWave(1, 16, 400, 0), Blocked(BlockedMode::Auto))[1].soundLayout,
            SoundLayout::Mono16);
  // 24-bit audio has no SOUND layout.
  EXPECT_EQ(PlanSegments(FakeWave(2, 24, 400, 0), Blocked(BlockedMode::Auto)).size(), 1u);
}

Bytes FakeBitmap(std::uint32_t width, std::uint32_t height, bool photo) {
  const std::uint32_t stride = (width * 3 + 3) / 4 * 4;
  Bytes b(54 + stride * height + 6, 0);
  b[0] = 'B';
  b[1] = 'M';
  PutLe(b, 10, 54, 4);
  PutLe(b, 14, 40, 4);
  PutLe(b, 18, width, 4);
  PutLe(b, 22, height, 4);
  PutLe(b, 26, 1, 2);
  PutLe(b, 28, 24, 2);
  std::uint32_t noise = 1;
  for (std::uint32_t y = 0; y < height; ++y)
    for (std::uint32_t x = 0; x < width * 3; ++x) {
      noise = noise * 1103515245 + 12345;
      b[54 + y * stride + x] =
          photo ? static_cast<std::uint8_t>(x / 3 + y + (x % 3) * 40 + (noise >> 16) % 9) : 0x40;
    }
  return b;
}

TEST(SegmentPlanner, AutoCodesPhotoLikeBitmapsInPicMode) {
  const Bytes photo = FakeBitmap(101, 40, true);
  const auto plan = PlanSegments(photo, Blocked(BlockedMode::Auto));
  ASSERT_EQ(plan.size(), 3u);
  EXPECT_EQ(plan[0].length, 54u);
  EXPECT_EQ(plan[1].mode, BlockedMode::Pic);
  EXPECT_EQ(plan[1].picWidth, 304u);  // 303 bytes padded to 304
  EXPECT_EQ(plan[1].picPlanes, 3u);
  EXPECT_EQ(plan[1].length, 304u * 40);
  EXPECT_EQ(Total(plan), photo.size());
  // A flat image is left to LZ77.
  const auto flat = PlanSegments(FakeBitmap(101, 40, false), Blocked(BlockedMode::Auto));
  for (const auto& s : flat) EXPECT_NE(s.mode, BlockedMode::Pic);
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
}  // namespace pelmora::acewriter::encode
