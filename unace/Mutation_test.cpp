// Real archives cut short or with damaged bytes: the walk must end (no crash,
// no hang), report a failure, and leave only files whose content is right.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <random>

#include "unace/ApiWalk_testutil.h"
#include "Md5.h"

namespace {

namespace fs = std::filesystem;
using namespace pelmora::unace::test;
using pelmora::test::Md5;
using pelmora::test::ScratchDir;

fs::path SamplePath(const std::string& name) { return pelmora::test::AceSample(name); }

// Every regular file in the tree must be one the list names, with its content.
void ExpectOnlyCorrectFiles(const fs::path& root,
                            const std::map<std::string, std::string>& expected) {
  for (const auto& item : fs::recursive_directory_iterator(root)) {
    if (!item.is_regular_file()) continue;
    const std::string relative = Posix(fs::relative(item.path(), root).string());
    const auto found = expected.find(relative);
    ASSERT_NE(found, expected.end()) << "unexpected file " << relative;
    EXPECT_EQ(Md5::Of(ReadBytes(item.path())), found->second) << relative;
  }
}

struct Sample {
  const char* archive;
  const char* list;
  const char* password;
};
const Sample kSamples[] = {
    {"onefile.ace", "onefile.ace.md5", ""},
    {"zdir.ace", "zdir.ace.md5", ""},
    {"dir2.ace", "dir2.ace.md5", ""},
    {"passwd2.ace", "passwd2.ace.md5", "1234"},
};

TEST(Mutations, TruncatedArchivesFailCleanly) {
  for (const Sample& sample : kSamples) {
    const Bytes original = ReadBytes(SamplePath(sample.archive));
    const auto expected = pelmora::test::SampleDigests(sample.list);
    const std::size_t step = original.size() / 23 + 1;
    for (std::size_t cut = 1; cut < original.size(); cut += step) {
      SCOPED_TRACE(std::string(sample.archive) + " cut at " + std::to_string(cut));
      ScratchDir dir("unace-cut");
      WriteBytes(dir.Path() / "a.ace", Bytes(original.begin(), original.begin() + cut));
      WalkOptions options;
      options.password = sample.password;
      const fs::path out = dir.Path() / "out";
      fs::create_directories(out);
      const WalkResult walk = Walk((dir.Path() / "a.ace").string(), out.string(), options);
      EXPECT_NE(walk.endCode, ACE_OK);
      ExpectOnlyCorrectFiles(out, expected);
    }
  }
}

TEST(Mutations, DamagedBytesNeverYieldWrongFiles) {
  std::mt19937 random(20240601u);
  for (const Sample& sample : kSamples) {
    const Bytes original = ReadBytes(SamplePath(sample.archive));
    const auto expected = pelmora::test::SampleDigests(sample.list);
    for (int round = 0; round < 12; ++round) {
      Bytes damaged = original;
      const std::size_t at =
          std::uniform_int_distribution<std::size_t>(0, damaged.size() - 1)(random);
      damaged[at] ^= static_cast<std::uint8_t>(1u << (round % 8));
      SCOPED_TRACE(std::string(sample.archive) + " byte " + std::to_string(at));
      ScratchDir dir("unace-flip");
      WriteBytes(dir.Path() / "a.ace", damaged);
      WalkOptions options;
      options.password = sample.password;
      const fs::path out = dir.Path() / "out";
      fs::create_directories(out);
      Walk((dir.Path() / "a.ace").string(), out.string(), options);
      ExpectOnlyCorrectFiles(out, expected);
    }
  }
}

TEST(Mutations, DamagedPackedDataOfTheOnlyMemberIsReported) {
  Bytes damaged = ReadBytes(SamplePath("onefile.ace"));
  damaged[damaged.size() - 100] ^= 0x5A;  // deep inside the LZ77 data
  ScratchDir dir("unace-flip1");
  WriteBytes(dir.Path() / "a.ace", damaged);
  const fs::path out = dir.Path() / "out";
  fs::create_directories(out);
  const WalkResult walk = Walk((dir.Path() / "a.ace").string(), out.string());
  EXPECT_TRUE(walk.endCode == ACE_ERR_DATA || walk.endCode == ACE_ERR_DATA_CRC) << walk.endCode;
  EXPECT_TRUE(TreeOf(out).empty());
}

}  // namespace
