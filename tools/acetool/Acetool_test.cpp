// Exit status and messages of acetool for the ways a run can fail.
#include "tools/acetool/Acetool.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "TestPaths.h"
#include "tools/acetool/LibraryArchive.h"
#include "tools/acetool/RunTool_testutil.h"
#include "tools/acetool/TestTree_testutil.h"

namespace pelmora::acetool {
namespace {
namespace fs = std::filesystem;

using testutil::RunTool;
using testutil::ToolRun;

class AcetoolTest : public ::testing::Test {
 protected:
  std::string At(const std::string& name) const { return (dir_.Path() / name).string(); }
  std::string Sample(const std::string& name) const { return pelmora::test::AceSample(name); }
  pelmora::test::ScratchDir dir_{"acetool"};
};

TEST_F(AcetoolTest, AMissingArchiveIsNamedWithTheReason) {
  const ToolRun r = RunTool({"l", At("nothing.ace")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("nothing.ace"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("code 129"), std::string::npos) << r.err;
}

TEST_F(AcetoolTest, ADamagedArchiveFailsWithItsCode) {
  fs::create_directories(At("tree"));
  testutil::WriteTree(At("tree"), testutil::StandardTree());
  ASSERT_EQ(RunTool({"c", At("a.ace"), At("tree")}).status, 0);
  // Flip one byte inside the packed data of the first big member.
  std::fstream f(At("a.ace"), std::ios::in | std::ios::out | std::ios::binary);
  f.seekp(2000);
  f.put('\x5A');
  f.close();
  const ToolRun r = RunTool({"t", At("a.ace")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("entry \""), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("failed"), std::string::npos) << r.err;
}

TEST_F(AcetoolTest, ListsAnArchiveOfTheOriginalArchiver) {
  const ToolRun r = RunTool({"l", Sample("onefile.ace")});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("1 entry"), std::string::npos) << r.out;
}

TEST_F(AcetoolTest, HostileNamesAreRefusedAndNothingLandsOutsideTheTarget) {
  fs::create_directories(At("target"));
  for (const char* hostile : {"dirtraversal1.ace", "dirtraversal2.ace"}) {
    const ToolRun r = RunTool({"x", Sample(hostile), At("target")});
    EXPECT_EQ(r.status, 1) << hostile << "\n" << r.out;
    EXPECT_NE(r.err.find("code 135"), std::string::npos) << r.err;
  }
  // Whatever the names tried, nothing may exist beside the target folder.
  std::size_t outside = 0;
  for (const auto& entry : fs::directory_iterator(dir_.Path()))
    outside += entry.path().filename() != "target";
  EXPECT_EQ(outside, 0u);
}

TEST_F(AcetoolTest, CreatingFromAMissingFolderFailsAndLeavesNoArchive) {
  const ToolRun r = RunTool({"c", At("a.ace"), At("no-such-folder")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("no-such-folder"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(At("a.ace")));
}

TEST_F(AcetoolTest, AVolumeSizeTooSmallForAHeaderIsExplained) {
  fs::create_directories(At("tree"));
  testutil::WriteTree(At("tree"), testutil::StandardTree());
  const ToolRun r = RunTool({"c", At("DATA.c00"), At("tree"), "--volume-size", "50"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("too small"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(At("DATA.c00")));
}

TEST_F(AcetoolTest, RefusesToWriteTheArchiveIntoTheFolderItArchives) {
  fs::create_directories(At("tree/sub"));
  testutil::WriteTree(At("tree"), testutil::StandardTree());
  const ToolRun r = RunTool({"c", At("tree/sub/DATA.c00"), At("tree")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("must not be written into the folder"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(At("tree/sub/DATA.c00")));
  // Beside the folder is fine, even with a name that starts alike.
  EXPECT_EQ(RunTool({"c", At("tree2.ace"), At("tree")}).status, 0);
}

TEST_F(AcetoolTest, TestsTheRealMultiVolumeSample) {
  const ToolRun r = RunTool({"t", Sample("multivolume.ace")});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("entries OK"), std::string::npos) << r.out;
}

// As on a terminal, with a clock that moves a second at every look, so
// that every block redraws the line.
ToolRun RunOnTerminal(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  auto now = std::chrono::nanoseconds(0);
  const int status =
      RunAcetool(args, out, err, {true, [&now] { return now += std::chrono::seconds(1); }});
  return {status, out.str(), err.str()};
}

TEST_F(AcetoolTest, CreateAndExtractShowProgressOnATerminalAndEndWithOneSummaryLine) {
  const std::vector<testutil::TreeFile> files = testutil::StandardTree();
  testutil::WriteTree(At("tree"), files);
  std::uint64_t bytes = 0;
  for (const testutil::TreeFile& f : files) bytes += f.content.size();
  const std::string total = " of " + acewriter::FormatBytes(bytes) + ", ";

  const ToolRun made = RunOnTerminal({"c", At("a.ace"), At("tree")});
  ASSERT_EQ(made.status, 0) << made.err;
  const std::string packed = std::to_string(fs::file_size(At("a.ace")));
  EXPECT_TRUE(std::regex_match(
      made.out,
      std::regex("created .*a\\.ace: 3 folders, 6 files, " + std::to_string(bytes) + " bytes in, " +
                 packed + " bytes out, ratio [0-9]+\\.[0-9]%, [0-9]+\\.[0-9]{2} s\n")))
      << made.out;
  // Redrawn in place, counting up to the whole, and gone at the end.
  EXPECT_EQ(made.err.find('\n'), std::string::npos) << made.err;
  EXPECT_NE(made.err.find(total + "100%"), std::string::npos) << made.err;
  EXPECT_GT(std::count(made.err.begin(), made.err.end(), '\r'), 3);
  ASSERT_FALSE(made.err.empty());
  EXPECT_EQ(made.err.substr(made.err.find_last_not_of(" \r") + 1, 1), "\r");

  // Extracting reads the entries' packed data.
  std::uint64_t packedData = 0;
  {
    LibraryArchive archive(At("a.ace"), ACE_OPEN_LIST);
    EntryInfo entry;
    while (archive.Next(entry) == ACE_OK && archive.Process(ACE_SKIP, {}) == ACE_OK)
      packedData += entry.packedSize;
  }
  const ToolRun extracted = RunOnTerminal({"x", At("a.ace"), At("out")});
  ASSERT_EQ(extracted.status, 0) << extracted.err;
  EXPECT_TRUE(std::regex_match(
      extracted.out, std::regex("extracted to .*out: 3 folders, 6 files, " +
                                std::to_string(packedData) + " bytes in, " + std::to_string(bytes) +
                                " bytes out, ratio [0-9.]+%, [0-9.]+ s\n")))
      << extracted.out;
  EXPECT_EQ(extracted.err.find('\n'), std::string::npos) << extracted.err;
  EXPECT_NE(extracted.err.find(total + "100%"), std::string::npos) << extracted.err;
  testutil::ExpectSameTree(At("out"), files);

  // Asked to be quiet, or writing to no terminal: the summary alone.
  fs::remove_all(At("out"));
  const ToolRun quiet = RunOnTerminal({"x", At("a.ace"), At("out"), "--quiet"});
  EXPECT_EQ(quiet.status, 0) << quiet.err;
  EXPECT_EQ(quiet.err, "");
  EXPECT_EQ(std::count(quiet.out.begin(), quiet.out.end(), '\n'), 1) << quiet.out;
  const ToolRun quietMade = RunOnTerminal({"c", At("b.ace"), At("tree"), "--quiet"});
  EXPECT_EQ(quietMade.status, 0);
  EXPECT_EQ(quietMade.err, "");
  const ToolRun piped = RunTool({"c", At("c.ace"), At("tree")});
  EXPECT_EQ(piped.status, 0);
  EXPECT_EQ(piped.err, "");
}

}  // namespace
}  // namespace pelmora::acetool
