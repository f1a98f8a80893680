#include "winsupport/Files_win.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "TestFiles.h"
#include "TestPaths.h"

namespace pelmora::winsupport {
namespace {

// Windows' code of a failure that names `path`, 0 for none.
std::uint32_t CodeFor(const common::WinFailure* failure, const std::string& path) {
  if (failure == nullptr) return 0;
  EXPECT_EQ(failure->what, path);
  return failure->code;
}
std::uint32_t CodeFor(const std::optional<common::WinFailure>& failure, const std::string& path) {
  return CodeFor(failure ? &*failure : nullptr, path);
}
template <typename Value>
std::uint32_t CodeFor(const common::WinResult<Value>& result, const std::string& path) {
  return CodeFor(std::get_if<common::WinFailure>(&result), path);
}

// The protocol's append: the first call creates the file, later ones keep
// what is there, a folder that is missing is the system's error, naming the
// file, and leaves nothing behind.
TEST(Files, AppendCreatesThenKeepsAndNamesTheSystemsError) {
  const test::ScratchDir dir("files-append");
  const std::string file = dir.Str() + "\\UnInstall.Log";
  EXPECT_FALSE(AppendToFile(file, "first\r\n"));
  EXPECT_FALSE(AppendToFile(file, std::string("second\0\xFC\r\n", 10)));
  EXPECT_FALSE(AppendToFile(file, ""));
  EXPECT_EQ(test::ReadText(file), std::string("first\r\nsecond\0\xFC\r\n", 17));

  const std::string missing = dir.Str() + "\\fehlt\\UnInstall.Log";
  EXPECT_EQ(CodeFor(AppendToFile(missing, "x"), missing), ERROR_PATH_NOT_FOUND);
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
  const std::string missing = dir.Str() + "\\fehlt.bin";
  EXPECT_EQ(CodeFor(ReadFileStart(missing, 10), missing), ERROR_FILE_NOT_FOUND);
  // A held file can be read beside the holder but not written, and a
  // missing one is the system's error.
  {
    auto held = HoldForReading(file);
    ASSERT_TRUE(std::holds_alternative<win::UniqueHandle>(held)) << CodeFor(held, file);
    EXPECT_EQ(std::get<std::string>(ReadFileStart(file, 40000)), content);
    EXPECT_EQ(CodeFor(AppendToFile(file, "x"), file), ERROR_SHARING_VIOLATION);
    EXPECT_EQ(CodeFor(HoldForReading(missing), missing), ERROR_FILE_NOT_FOUND);
  }
  EXPECT_FALSE(AppendToFile(file, "x"));

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
