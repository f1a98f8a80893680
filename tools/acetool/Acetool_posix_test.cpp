// What acetool does differently on Linux: names in UTF-8 below '/'-separated
// folders, and the program's exit status as the shell sees it.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "TestPaths.h"
#include "tools/acetool/ArchiveCommands.h"

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

}  // namespace
}  // namespace pelmora::acetool
