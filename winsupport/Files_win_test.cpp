#include "winsupport/Files_win.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "TestFiles.h"
#include "TestPaths.h"

namespace pelmora::winsupport {
namespace {

// The protocol's append: the first call creates the file, later ones keep
// what is there, a folder that is missing is the system's error and leaves
// nothing behind.
TEST(Files, AppendCreatesThenKeepsAndNamesTheSystemsError) {
  const test::ScratchDir dir("files-append");
  const std::string file = dir.Str() + "\\UnInstall.Log";
  EXPECT_EQ(AppendToFile(file, "first\r\n"), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(AppendToFile(file, std::string("second\0\xFC\r\n", 10)),
            static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(AppendToFile(file, ""), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(test::ReadText(file), std::string("first\r\nsecond\0\xFC\r\n", 17));

  EXPECT_EQ(AppendToFile(dir.Str() + "\\fehlt\\UnInstall.Log", "x"),
            static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_FALSE(std::filesystem::exists(dir.Path() / "fehlt"));
}

// Reading stops at the limit (one byte over tells the caller "too large");
// a missing file is the system's error; files and folders are told apart.
TEST(Files, ReadToTheLimitAndTellFilesFromFolders) {
  const test::ScratchDir dir("files-read");
  const std::string file = dir.Str() + "\\daten.bin";
  std::string content(40000, 'a');
  content[39999] = 'z';
  test::WriteText(file, content);

  EXPECT_EQ(std::get<std::string>(ReadFileStart(file, 40000)), content);
  EXPECT_EQ(std::get<std::string>(ReadFileStart(file, 1000000)), content);
  EXPECT_EQ(std::get<std::string>(ReadFileStart(file, 17000)), content.substr(0, 17000));
  EXPECT_EQ(std::get<DWORD>(ReadFileStart(dir.Str() + "\\fehlt.bin", 10)),
            static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

  EXPECT_TRUE(IsExistingFile(file));
  EXPECT_FALSE(IsExistingFolder(file));
  EXPECT_TRUE(IsExistingFolder(dir.Str()));
  EXPECT_FALSE(IsExistingFile(dir.Str()));
  EXPECT_FALSE(IsExistingFile(dir.Str() + "\\fehlt.bin"));
}

// Every missing level is made, and only those are reported, outermost first.
TEST(Files, FolderTreeMakesAndReportsOnlyTheMissingLevels) {
  const test::ScratchDir dir("files-tree");
  const std::string top = dir.Str() + "\\Firma";
  std::filesystem::create_directory(top);
  EXPECT_EQ(CreateFolderTree(top + "\\Produkt\\Daten"),
            (std::vector<std::string>{top + "\\Produkt", top + "\\Produkt\\Daten"}));
  EXPECT_TRUE(IsExistingFolder(top + "\\Produkt\\Daten"));
  EXPECT_TRUE(CreateFolderTree(top + "\\Produkt\\Daten").empty());
}

}  // namespace
}  // namespace pelmora::winsupport
