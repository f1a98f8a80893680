// The sample archives made by the original archiver, extracted through the
// exports and compared with their .md5 lists.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "unace/ApiWalk_testutil.h"
#include "Md5.h"

namespace {

namespace fs = std::filesystem;
using namespace pelmora::unace::test;
using pelmora::test::Md5;
using pelmora::test::ScratchDir;

std::string Sample(const std::string& name) { return pelmora::test::AceSample(name); }

// Checks every file the sample's list names against the extracted tree.
void ExpectMatchesMd5List(const std::string& listName, const fs::path& root) {
  for (const auto& [relative, md5] : pelmora::test::SampleDigests(listName)) {
    const fs::path file = root / relative;
    ASSERT_TRUE(fs::is_regular_file(file)) << relative;
    EXPECT_EQ(Md5::Of(ReadBytes(file)), md5) << relative;
  }
}

bool HasTemporaryLeftovers(const fs::path& root) {
  for (const auto& item : fs::recursive_directory_iterator(root))
    if (item.path().filename().string().find(".~") != std::string::npos) return true;
  return false;
}

TEST(Md5Helper, KnownDigests) {
  EXPECT_EQ(Md5::Of(std::vector<std::uint8_t>{}), "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(Md5::Of(BytesOf("abc")), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(Md5::Of(Bytes(1000, 'a')), "cabe45dcc9ae5b66ba86600cca6b8ba8");
}

TEST(RealArchives, TAceHoldsAFolderAndTheStoredFile) {
  ScratchDir dir("unace-t");
  const WalkResult walk = Walk(Sample("t.ace"), dir.Str());
  EXPECT_EQ(walk.endCode, ACE_END_OF_ARCHIVE);
  EXPECT_EQ(walk.names, (std::vector<std::string>{"t", "t\\t.txt"}));
  EXPECT_TRUE(fs::is_directory(dir.Path() / "t"));
  EXPECT_EQ(ReadBytes(dir.Path() / "t" / "t.txt"), BytesOf("42"));
}

TEST(RealArchives, EachSampleExtractsToItsListedContent) {
  struct Case {
    const char* archive;
    const char* list;
    const char* password;
  };
  const Case cases[] = {
      {"onefile.ace", "onefile.ace.md5", ""},          // ACE 1.0 LZ77
      {"zdir.ace", "zdir.ace.md5", ""},                // solid, stored and LZ77 mixed
      {"dir2.ace", "dir2.ace.md5", ""},                // ACE 2.0 blocked, solid
      {"multivolume.ace", "multivolume.ace.md5", ""},  // three volumes, members split
      {"passwd2.ace", "passwd2.ace.md5", "1234"},      // encrypted, with comments
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.archive);
    ScratchDir dir("unace-real");
    WalkOptions options;
    options.password = c.password;
    const WalkResult walk = Walk(Sample(c.archive), dir.Str(), options);
    EXPECT_EQ(walk.endCode, ACE_END_OF_ARCHIVE);
    ExpectMatchesMd5List(c.list, dir.Path());
    EXPECT_FALSE(HasTemporaryLeftovers(dir.Path()));
  }
}

TEST(RealArchives, SolidArchiveStillDecodesEntriesThatAreSkipped) {
  // Later members of a solid archive refer to earlier ones: passing over the
  // first entries must keep the history intact.
  ScratchDir all("unace-solid-all");
  const WalkResult listing = Walk(Sample("dir2.ace"), all.Str(), WalkOptions{ACE_OPEN_LIST});
  ASSERT_EQ(listing.endCode, ACE_END_OF_ARCHIVE);
  ASSERT_GT(listing.names.size(), 4u);

  ScratchDir dir("unace-solid-skip");
  WalkOptions options;
  options.skip.insert(listing.names.begin(), listing.names.end() - 2);
  const WalkResult walk = Walk(Sample("dir2.ace"), dir.Str(), options);
  EXPECT_EQ(walk.endCode, ACE_END_OF_ARCHIVE);
  int found = 0;
  for (const auto& [relative, md5] : pelmora::test::SampleDigests("dir2.ace.md5")) {
    const fs::path file = dir.Path() / relative;
    if (!fs::exists(file)) continue;
    EXPECT_EQ(Md5::Of(ReadBytes(file)), md5) << relative;
    ++found;
  }
  EXPECT_GE(found, 1);
}

TEST(RealArchives, ListModeReportsEveryEntryAndWritesNothing) {
  ScratchDir dir("unace-list");
  const WalkResult walk = Walk(Sample("zdir.ace"), dir.Str(), WalkOptions{ACE_OPEN_LIST});
  EXPECT_EQ(walk.endCode, ACE_END_OF_ARCHIVE);
  EXPECT_EQ(walk.names.size(), 30u);
  EXPECT_TRUE(TreeOf(dir.Path()).empty());
}

TEST(RealArchives, EncryptedEntryNeedsTheRightPassword) {
  for (const char* password : {"", "4321"}) {
    SCOPED_TRACE(password);
    ScratchDir dir("unace-pw");
    WalkOptions options;
    options.password = password;
    const WalkResult walk = Walk(Sample("passwd2.ace"), dir.Str(), options);
    EXPECT_EQ(walk.endCode, ACE_ERR_PASSWORD);
    EXPECT_TRUE(TreeOf(dir.Path()).empty()) << "nothing may stay behind after a wrong password";
  }
}

TEST(RealArchives, HostileSamplesAreRefusedAndWriteNothing) {
  for (const char* name : {"dirtraversal1.ace", "dirtraversal2.ace", "out_of_bounds.ace"}) {
    SCOPED_TRACE(name);
    ScratchDir parent("unace-hostile");
    const fs::path target = parent.Path() / "target";
    fs::create_directories(target);
    const WalkResult walk = Walk(Sample(name), target.string());
    EXPECT_NE(walk.endCode, ACE_END_OF_ARCHIVE);
    EXPECT_NE(walk.endCode, ACE_OK);
    EXPECT_EQ(TreeOf(parent.Path()), std::set<std::string>{"target"});
  }
  EXPECT_FALSE(fs::exists("/tmp/unace-dir-traversal"));
}

TEST(RealArchives, TraversalEntriesAreReportedButRefused) {
  const std::pair<const char*, const char*> cases[] = {
      {"dirtraversal1.ace", "../../../../../../../tmp/unace-dir-traversal"},
      {"dirtraversal2.ace", "/tmp/unace-dir-traversal"},
  };
  for (const auto& [archive, name] : cases) {
    SCOPED_TRACE(archive);
    ScratchDir dir("unace-traversal");
    const WalkResult walk = Walk(Sample(archive), dir.Str());
    ASSERT_EQ(walk.names.size(), 1u);
    EXPECT_EQ(walk.names[0], name);
    EXPECT_EQ(walk.endCode, ACE_ERR_UNSAFE_NAME);
  }
}

TEST(RealArchives, MalformedHeaderIsRefusedAsDamaged) {
  ScratchDir dir("unace-oob");
  const WalkResult walk = Walk(Sample("out_of_bounds.ace"), dir.Str());
  EXPECT_TRUE(walk.names.empty());
  EXPECT_EQ(walk.endCode, ACE_ERR_HEADER);
}

}  // namespace
