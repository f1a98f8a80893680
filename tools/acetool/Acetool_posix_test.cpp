// What acetool does differently on Linux: names in UTF-8 below '/'-separated
// folders, the program's exit status as the shell sees it, and (where a test
// can set the environment) SOURCE_DATE_EPOCH.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "TestPaths.h"
#include "acewriter/FileStamp.h"
#include "acewriter/HeaderScan_testutil.h"
#include "tools/acetool/ArchiveCommands.h"
#include "tools/acetool/RunTool_testutil.h"
#include "tools/acetool/TestTree_testutil.h"

namespace pelmora::acetool {
namespace {
namespace fs = std::filesystem;

TEST(TargetPath, JoinsTheEntryNameBelowTheFolder) {
  EXPECT_EQ(TargetPathFor("/tmp/out", "a\\b.txt"), "/tmp/out/a/b.txt");
  EXPECT_EQ(TargetPathFor("/tmp/out/", "Gr\374\337e"), "/tmp/out/Gr\303\274\303\237e");
}

// The program itself hands the status through.
TEST(AcetoolProgram, ExitsWithTheCommandsStatus) {
  const pelmora::test::ScratchDir dir("acetool");
  const std::string program = pelmora::test::BinaryDir() + "/tools/acetool/acetool";
  ASSERT_TRUE(fs::exists(program));
  const std::string sample = pelmora::test::AceSample("onefile.ace");
  const std::string missing = (dir.Path() / "none.ace").string();
  EXPECT_EQ(WEXITSTATUS(std::system((program + " l '" + sample + "' >/dev/null").c_str())), 0);
  EXPECT_EQ(WEXITSTATUS(std::system((program + " l '" + missing + "' 2>/dev/null").c_str())), 1);
  EXPECT_EQ(WEXITSTATUS(std::system((program + " 2>/dev/null").c_str())), 2);
}

// Dated by SOURCE_DATE_EPOCH, else by the newest file: never by the clock.
TEST(AcetoolCreate, DatesTheArchiveBySourceDateEpochOrTheNewestFile) {
  const pelmora::test::ScratchDir dir("acetool-date");
  const auto at = [&dir](const char* name) { return (dir.Path() / name).string(); };
  testutil::WriteTree(at("tree"), testutil::StandardTree());
  ASSERT_EQ(testutil::RunTool({"c", at("a.ace"), at("tree")}).status, 0);
  std::int64_t newest = 0;
  for (const auto& entry : fs::recursive_directory_iterator(at("tree")))
    if (entry.is_regular_file())
      newest = std::max(newest, acewriter::ReadFileStamp(entry.path()).unixTime);
  EXPECT_EQ(acewriter::testutil::ScanVolume(at("a.ace")).creationTime,
            acewriter::LocalDosTime(newest));

  ::setenv("SOURCE_DATE_EPOCH", "1700000000", 1);
  const testutil::ToolRun dated = testutil::RunTool({"c", at("b.ace"), at("tree")});
  ::setenv("SOURCE_DATE_EPOCH", "yesterday", 1);
  const testutil::ToolRun refused = testutil::RunTool({"c", at("c.ace"), at("tree")});
  ::unsetenv("SOURCE_DATE_EPOCH");
  ASSERT_EQ(dated.status, 0) << dated.err;
  EXPECT_EQ(acewriter::testutil::ScanVolume(at("b.ace")).creationTime,
            acewriter::LocalDosTime(1700000000));
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("SOURCE_DATE_EPOCH must be seconds since 1970, not \"yesterday\""),
            std::string::npos)
      << refused.err;
  EXPECT_FALSE(fs::exists(at("c.ace")));
}

}  // namespace
}  // namespace pelmora::acetool
