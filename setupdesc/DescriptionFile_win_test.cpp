#include "setupdesc/DescriptionFile.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>

#include "TestPaths.h"
#include "common/ProgramPath.h"
#include "setupdesc/PlainDescription.h"
#include "setupdesc/SetupDescReader.h"
#include "setupdesc/SetupDir.h"

namespace pelmora::setupdesc {
namespace {

TEST(DescriptionFileWin, OwnPathNamesThisTestProgram) {
  const std::string path = win::OwnProgramPath();
  ASSERT_FALSE(path.empty());
  EXPECT_NE(path.find("setupdesc_win_tests.exe"), std::string::npos) << path;
  const std::string dir = SetupDirFromProgramPath(path);
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(dir.back(), '\\');
  EXPECT_NE(GetFileAttributesA((dir + "setupdesc_win_tests.exe").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(DescriptionFileWin, SetupDirIsTheProgramFolderWhateverItsName) {
  EXPECT_EQ(SetupDirFromProgramPath("E:\\setup\\Install.exe"), "E:\\setup\\");
  EXPECT_EQ(SetupDirFromProgramPath("E:\\setup\\Install (1).exe"), "E:\\setup\\");
  EXPECT_EQ(SetupDirFromProgramPath("Install.exe"), "");
}

TEST(DescriptionFileWin, ReadsTheFileBesideTheProgramAndReportsAMissingOne) {
  pelmora::test::ScratchDir dir("pmd");
  const std::string setupDir = dir.Str() + "\\";
  EXPECT_FALSE(LoadDescriptionFile(setupDir).has_value());

  const std::string pmd = EncodeDescription(
      "1.0.0.1\nDemo\n3.0.0.0\nDemoKey\nC:\\Demo\ndemo.exe\n<beginregistry>\nSoftware\\Ä\n<"
      "endregistry>\n");
  { std::ofstream(dir.Path() / "install.pmd", std::ios::binary) << pmd; }
  const auto bytes = LoadDescriptionFile(setupDir);
  ASSERT_TRUE(bytes.has_value());
  EXPECT_EQ(*bytes, pmd);

  SetupDescription d;
  d.SetupVersion = "1.0.0.1";
  const ReadResult result = ReadSetupDescription(bytes, d);
  ASSERT_EQ(result.outcome, ReadOutcome::Read) << result.message;
  EXPECT_EQ(d.RegistryLines[1], "Software\\\xC4");
}

TEST(DescriptionFileWin, AFolderNamedLikeTheFileIsNoDescription) {
  pelmora::test::ScratchDir dir("pmddir");
  CreateDirectoryA((dir.Str() + "\\install.pmd").c_str(), nullptr);
  EXPECT_FALSE(LoadDescriptionFile(dir.Str() + "\\").has_value());
}

TEST(DescriptionFileWin, AnOversizedFileIsReadOnlyFarEnoughToBeRefused) {
  pelmora::test::ScratchDir dir("pmdbig");
  {
    std::ofstream out(dir.Path() / "install.pmd", std::ios::binary);
    const std::string block(1 << 20, 'x');
    for (int i = 0; i < 20; ++i) out << block;
  }
  const auto bytes = LoadDescriptionFile(dir.Str() + "\\");
  ASSERT_TRUE(bytes.has_value());
  EXPECT_LT(bytes->size(), kMaxDescriptionBytes + 20000);
  SetupDescription d;
  EXPECT_EQ(ReadSetupDescription(bytes, d).outcome, ReadOutcome::Damaged);
}

}  // namespace
}  // namespace pelmora::setupdesc
