#include "acewriter/VolumeSet.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <numeric>

#include "TestPaths.h"
#include "acewriter/HeaderScan_testutil.h"

namespace pelmora::acewriter {
namespace {
namespace fs = std::filesystem;
using testutil::ScanVolume;

std::vector<std::uint8_t> Pattern(std::size_t size, std::uint8_t seed) {
  std::vector<std::uint8_t> data(size);
  for (std::size_t i = 0; i < size; ++i)
    data[i] = static_cast<std::uint8_t>(seed + i * 7 + i / 251);
  return data;
}

FileHeader Member(const std::string& name, std::size_t size) {
  FileHeader h;
  h.name = name;
  h.originalSize = static_cast<std::uint32_t>(size);
  h.crc32 = 0x12345678;
  h.attributes = 0x20;
  return h;
}

class VolumeSetTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return (dir_.Path() / name).string(); }
  pelmora::test::ScratchDir dir_{"volumeset"};
};

TEST_F(VolumeSetTest, WithoutVolumeSizeEverythingGoesIntoOneFile) {
  VolumeSet set(Path("one.ace"), MainHeader{}, 0);
  const auto a = Pattern(3000, 1);
  set.WriteMember(Member("a.bin", a.size()), a);
  set.WriteMember(Member("empty", 0), {});
  const auto result = set.Finish();
  ASSERT_EQ(result.volumes.size(), 1u);
  const auto volume = ScanVolume(result.volumes[0]);
  EXPECT_EQ(volume.mainFlags & format::flags::kMultiVolume, 0);
  ASSERT_EQ(volume.files.size(), 2u);
  EXPECT_EQ(volume.files[0].data, a);
  EXPECT_EQ(volume.files[0].flags, format::flags::kAddSize);
  EXPECT_EQ(volume.files[1].packedSize, 0u);
}

TEST_F(VolumeSetTest, SplitsAMemberOverSeveralVolumesWithContinuationFlags) {
  const std::uint64_t volumeSize = 2000;
  VolumeSet set(Path("DATA.c00"), MainHeader{}, volumeSize);
  const auto small = Pattern(500, 3);
  const auto big = Pattern(5000, 9);
  set.WriteMember(Member("small.txt", small.size()), small);
  set.WriteMember(Member("dir\\big.bin", big.size()), big);
  const auto result = set.Finish();
  ASSERT_GE(result.volumes.size(), 3u);
  EXPECT_EQ(fs::path(result.volumes[1]).filename(), "DATA.c01");
  EXPECT_EQ(fs::path(result.volumes[2]).filename(), "DATA.c02");

  std::vector<std::uint8_t> joined;
  std::vector<std::uint16_t> pieceFlags;
  for (std::size_t v = 0; v < result.volumes.size(); ++v) {
    const auto volume = ScanVolume(result.volumes[v]);
    EXPECT_LE(volume.fileSize, volumeSize);
    EXPECT_EQ(volume.volumeNumber, v);
    EXPECT_NE(volume.mainFlags & format::flags::kMultiVolume, 0);
    for (const auto& f : volume.files) {
      if (f.name != "dir\\big.bin") continue;
      EXPECT_EQ(f.originalSize, big.size());
      EXPECT_EQ(f.crc32, 0x12345678u);
      EXPECT_GT(f.packedSize, 0u);
      joined.insert(joined.end(), f.data.begin(), f.data.end());
      pieceFlags.push_back(
          f.flags & (format::flags::kContinuedFromPrevious | format::flags::kContinuesInNext));
    }
  }
  EXPECT_EQ(joined, big);
  ASSERT_GE(pieceFlags.size(), 3u);
  EXPECT_EQ(pieceFlags.front(), format::flags::kContinuesInNext);
  for (std::size_t i = 1; i + 1 < pieceFlags.size(); ++i)
    EXPECT_EQ(pieceFlags[i],
              format::flags::kContinuedFromPrevious | format::flags::kContinuesInNext);
  EXPECT_EQ(pieceFlags.back(), format::flags::kContinuedFromPrevious);
}

TEST_F(VolumeSetTest, AnAceNamedFirstVolumeContinuesWithC00) {
  VolumeSet set(Path("set.ace"), MainHeader{}, 400);
  const auto data = Pattern(1000, 5);
  set.WriteMember(Member("x", data.size()), data);
  const auto result = set.Finish();
  ASSERT_GE(result.volumes.size(), 3u);
  EXPECT_EQ(fs::path(result.volumes[1]).filename(), "set.c00");
  EXPECT_EQ(fs::path(result.volumes[2]).filename(), "set.c01");
}

// The format has no mark for the last volume: a volume that ended between
// entries would let a reader that misses the next one call the archive
// complete. So a volume that fills right after an entry ends inside it.
TEST_F(VolumeSetTest, AVolumeThatFillsRightAfterAnEntryEndsInsideIt) {
  const auto a = Pattern(100, 1);
  const auto e = Pattern(1, 2);
  const auto b = Pattern(100, 3);
  // The first volume holds exactly a, the folder d and the one-byte file e.
  const std::uint64_t volumeSize =
      SerializeMainHeader(MainHeader{}).size() + 3 * FileHeaderSize(1) + a.size() + e.size();
  VolumeSet set(Path("exact.c00"), MainHeader{}, volumeSize);
  set.WriteMember(Member("a", a.size()), a);
  FileHeader folder = Member("d", 0);
  folder.attributes = format::kAttributeDirectory;
  set.WriteMember(folder, {});
  set.WriteMember(Member("e", e.size()), e);
  set.WriteMember(Member("b", b.size()), b);
  const auto result = set.Finish();
  ASSERT_GE(result.volumes.size(), 3u);

  std::map<std::string, std::vector<std::uint8_t>> joined;
  std::vector<std::string> entries;
  for (std::size_t v = 0; v < result.volumes.size(); ++v) {
    const auto volume = ScanVolume(result.volumes[v]);
    EXPECT_LE(volume.fileSize, volumeSize);
    ASSERT_FALSE(volume.files.empty());
    if (v + 1 < result.volumes.size()) {
      EXPECT_NE(volume.files.back().flags & format::flags::kContinuesInNext, 0) << "volume " << v;
    }
    for (const auto& f : volume.files) {
      joined[f.name].insert(joined[f.name].end(), f.data.begin(), f.data.end());
      if (!(f.flags & format::flags::kContinuedFromPrevious)) entries.push_back(f.name);
    }
  }
  EXPECT_EQ(entries, (std::vector<std::string>{"a", "d", "e", "b"}));
  EXPECT_EQ(joined["a"], a);
  EXPECT_EQ(joined["e"], e);
  EXPECT_EQ(joined["b"], b);
  // Only a's last byte moved; the folder and e followed it.
  const auto first = ScanVolume(result.volumes[0]);
  ASSERT_EQ(first.files.size(), 1u);
  EXPECT_EQ(first.files[0].flags, format::flags::kAddSize | format::flags::kContinuesInNext);
  EXPECT_EQ(first.files[0].packedSize, a.size() - 1);
  const auto second = ScanVolume(result.volumes[1]);
  ASSERT_GE(second.files.size(), 3u);
  EXPECT_EQ(second.files[0].name, "a");
  EXPECT_EQ(second.files[0].flags, format::flags::kAddSize | format::flags::kContinuedFromPrevious);
  EXPECT_EQ(second.files[1].name, "d");
  EXPECT_EQ(second.files[2].name, "e");
}

TEST_F(VolumeSetTest, RefusesAVolumeSizeThatCannotHoldAHeaderAndLeavesNothingBehind) {
  {
    VolumeSet set(Path("tiny.c00"), MainHeader{}, 60);
    const auto a = Pattern(10, 1);
    EXPECT_THROW(set.WriteMember(Member("a-long-member-name.txt", a.size()), a),
                 std::invalid_argument);
  }
  EXPECT_FALSE(fs::exists(Path("tiny.c00")));
  {
    // Folders alone fill the volume: nothing could continue in the next.
    VolumeSet set(Path("folders.c00"), MainHeader{},
                  SerializeMainHeader(MainHeader{}).size() + 2 * FileHeaderSize(2));
    set.WriteMember(Member("d1", 0), {});
    set.WriteMember(Member("d2", 0), {});
    EXPECT_THROW(set.WriteMember(Member("d3", 0), {}), std::invalid_argument);
  }
  EXPECT_FALSE(fs::exists(Path("folders.c00")));
}

TEST_F(VolumeSetTest, ASetThatWouldNeedAVolumeAfterC99IsRefused) {
  {
    VolumeSet set(Path("DATA.c98"), MainHeader{}, 300);
    const auto a = Pattern(1000, 1);
    try {
      set.WriteMember(Member("a", a.size()), a);
      FAIL() << "no error";
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find("DATA.c99"), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find("larger volume size"), std::string::npos) << e.what();
    }
  }
  EXPECT_FALSE(fs::exists(Path("DATA.c98")));
  EXPECT_FALSE(fs::exists(Path("DATA.c99")));
}

TEST_F(VolumeSetTest, AnUnfinishedSetIsRemoved) {
  {
    VolumeSet set(Path("broken.c00"), MainHeader{}, 300);
    const auto a = Pattern(1000, 1);
    set.WriteMember(Member("a", a.size()), a);
    EXPECT_TRUE(fs::exists(Path("broken.c02")));
  }
  EXPECT_FALSE(fs::exists(Path("broken.c00")));
  EXPECT_FALSE(fs::exists(Path("broken.c01")));
  EXPECT_FALSE(fs::exists(Path("broken.c02")));
}

TEST_F(VolumeSetTest, DeletesStaleVolumesOfAnEarlierLongerSet) {
  for (const char* stale : {"DATA.c01", "DATA.c02", "DATA.c04"})
    std::ofstream(Path(stale)) << "old";
  VolumeSet set(Path("DATA.c00"), MainHeader{}, 1000);
  const auto a = Pattern(10, 1);
  set.WriteMember(Member("a", a.size()), a);
  const auto result = set.Finish();
  ASSERT_EQ(result.volumes.size(), 1u);
  EXPECT_EQ(result.removedStale.size(), 2u);
  EXPECT_FALSE(fs::exists(Path("DATA.c01")));
  EXPECT_FALSE(fs::exists(Path("DATA.c02")));
  EXPECT_TRUE(fs::exists(Path("DATA.c04")));  // not a successor: c03 is missing
}

}  // namespace
}  // namespace pelmora::acewriter
