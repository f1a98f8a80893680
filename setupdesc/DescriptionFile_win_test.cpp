#include "setupdesc/DescriptionFile.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>

#include "TestPaths.h"
#include "common/ProgramPath.h"
#include "common/WinHandle.h"
#include "setupdesc/PlainDescription.h"
#include "setupdesc/SetupDescReader.h"
#include "setupdesc/SetupDir.h"

namespace pelmora::setupdesc {
namespace {

// The bytes, or nothing for a missing file; a read failure fails the test.
std::optional<std::string> Loaded(const std::string& setupDir) {
  auto loaded = LoadDescriptionFile(setupDir);
  if (const auto* failure = std::get_if<common::WinFailure>(&loaded)) {
    ADD_FAILURE() << DescriptionReadFailureText(*failure);
    return std::nullopt;
  }
  return std::get<std::optional<std::string>>(std::move(loaded));
}

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
  EXPECT_FALSE(Loaded(setupDir).has_value());

  const std::string pmd = EncodeDescription(
      "1.0.0.1\nDemo\n3.0.0.0\nDemoKey\nC:\\Demo\ndemo.exe\n<beginregistry>\nSoftware\\Ä\n<"
      "endregistry>\n");
  { std::ofstream(dir.Path() / "install.pmd", std::ios::binary) << pmd; }
  const auto bytes = Loaded(setupDir);
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
  EXPECT_FALSE(Loaded(dir.Str() + "\\").has_value());
}

TEST(DescriptionFileWin, AnOversizedFileIsReadOnlyFarEnoughToBeRefused) {
  pelmora::test::ScratchDir dir("pmdbig");
  {
    std::ofstream out(dir.Path() / "install.pmd", std::ios::binary);
    const std::string block(1 << 20, 'x');
    for (int i = 0; i < 20; ++i) out << block;
  }
  const auto bytes = Loaded(dir.Str() + "\\");
  ASSERT_TRUE(bytes.has_value());
  EXPECT_LT(bytes->size(), kMaxDescriptionBytes + 20000);
  SetupDescription d;
  EXPECT_EQ(ReadSetupDescription(bytes, d).outcome, ReadOutcome::Damaged);
}

TEST(DescriptionFileWin, AFileThatCannotBeReadIsAFailureNamingItsCodeAndPath) {
  pelmora::test::ScratchDir dir("pmdlocked");
  const std::string path = dir.Str() + "\\install.pmd";
  { std::ofstream(path, std::ios::binary) << "x"; }
  // Held open without sharing, as a program writing it would.
  const win::UniqueHandle held(
      CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(held);
  const auto loaded = LoadDescriptionFile(dir.Str() + "\\");
  const auto* failure = std::get_if<common::WinFailure>(&loaded);
  ASSERT_NE(failure, nullptr);
  EXPECT_EQ(DescriptionReadFailureText(*failure), "E/A-Fehler 32 (" + path + ")");
}

}  // namespace
}  // namespace pelmora::setupdesc
