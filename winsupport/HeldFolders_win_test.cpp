#include "winsupport/HeldFolders_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "TestFiles.h"
#include "TestPaths.h"
#include "common/WinHandle.h"
#include "winsupport/SymbolicLink_win_testutil.h"

namespace pelmora::winsupport {
namespace {

namespace fs = std::filesystem;

DWORD CodeOf(const common::WinResult<Deleted>& result) {
  const auto* failure = std::get_if<common::WinFailure>(&result);
  return failure ? failure->code : ERROR_SUCCESS;
}

common::WinResult<Deleted> Delete(const std::string& path, HeldItem item,
                                  const WhileHeld& whileHeld = {}) {
  return DeleteHeld(DriveRootOf(path), path, item, whileHeld);
}

// While an item is deleted, every folder from the drive root down to it is
// held: renaming any of them is refused, and allowed again once the item is
// gone. Each kind of item goes as asked, and each refusal names its reason.
TEST(HeldFolders, FoldersOnTheWayCannotBeRenamedWhileTheItemIsDeleted) {
  const test::ScratchDir dir("held");
  const std::string top = dir.Str() + "\\Firma";
  const std::string target = top + "\\Produkt";
  fs::create_directories(fs::path(target) / "sub" / "leer");
  fs::create_directories(fs::path(target) / "voll");
  for (const char* file : {"sub\\a.txt", "voll\\b.txt", "nur-lesen.txt", "offen.txt"})
    test::WriteText(target + "\\" + file, "product");
  ASSERT_TRUE(::SetFileAttributesA((target + "\\nur-lesen.txt").c_str(), FILE_ATTRIBUTE_READONLY));

  std::vector<DWORD> renames;
  const WhileHeld tryRenames = [&](const std::string&) {
    for (const std::string& folder : {top, target, target + "\\sub"}) {
      renames.push_back(::MoveFileA(folder.c_str(), (folder + "-neu").c_str()) ? ERROR_SUCCESS
                                                                               : ::GetLastError());
    }
  };
  const auto deleted = Delete(target + "\\sub\\a.txt", HeldItem::File, tryRenames);
  ASSERT_TRUE(std::holds_alternative<Deleted>(deleted)) << CodeOf(deleted);
  EXPECT_EQ(std::get<Deleted>(deleted), Deleted::File);
  EXPECT_EQ(renames, std::vector<DWORD>(3, ERROR_SHARING_VIOLATION));
  EXPECT_FALSE(fs::exists(fs::path(target) / "sub" / "a.txt"));
  // Let go: the folders can be renamed again.
  ASSERT_TRUE(::MoveFileA(top.c_str(), (top + "-neu").c_str())) << ::GetLastError();
  ASSERT_TRUE(::MoveFileA((top + "-neu").c_str(), top.c_str())) << ::GetLastError();

  const win::UniqueHandle held(::CreateFileA((target + "\\offen.txt").c_str(), GENERIC_READ,
                                             FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                             FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(held);
  EXPECT_EQ(CodeOf(Delete(target + "\\offen.txt", HeldItem::File)), ERROR_SHARING_VIOLATION);
  EXPECT_EQ(CodeOf(Delete(target + "\\nur-lesen.txt", HeldItem::File)), ERROR_SUCCESS);
  EXPECT_EQ(CodeOf(Delete(target + "\\sub", HeldItem::File)), ERROR_DIRECTORY);
  EXPECT_EQ(CodeOf(Delete(target + "\\voll\\b.txt", HeldItem::Folder)), ERROR_DIRECTORY);
  EXPECT_EQ(CodeOf(Delete(target + "\\voll", HeldItem::Folder)), ERROR_DIR_NOT_EMPTY);
  EXPECT_EQ(CodeOf(Delete(target + "\\fehlt.txt", HeldItem::File)), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(CodeOf(Delete(target + "\\fehlt\\a.txt", HeldItem::File)), ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(CodeOf(Delete(target + "\\sub\\..\\voll\\b.txt", HeldItem::File)), ERROR_BAD_PATHNAME);
  EXPECT_EQ(CodeOf(DeleteHeld(target + "\\sub\\", target + "\\voll\\b.txt", HeldItem::File)),
            ERROR_BAD_PATHNAME);
  const auto folder = Delete(target + "\\sub\\leer\\", HeldItem::FileOrFolder);
  ASSERT_TRUE(std::holds_alternative<Deleted>(folder)) << CodeOf(folder);
  EXPECT_EQ(std::get<Deleted>(folder), Deleted::Folder);

  EXPECT_TRUE(fs::exists(fs::path(target) / "offen.txt"));
  EXPECT_FALSE(fs::exists(fs::path(target) / "nur-lesen.txt"));
  EXPECT_TRUE(fs::exists(fs::path(target) / "sub"));
  EXPECT_FALSE(fs::exists(fs::path(target) / "sub" / "leer"));
  EXPECT_TRUE(fs::exists(fs::path(target) / "voll" / "b.txt"));
}

// A link on the way, as the start folder, or in the item's own place never
// leads to what it points to; what a failed run made goes again, deepest
// first, and a folder that holds something else stays and is named.
TEST(HeldFolders, NothingIsDeletedBehindALink) {
  const test::ScratchDir dir("held-link");
  const std::string victim = dir.Str() + "\\Opfer";
  fs::create_directories(victim);
  test::WriteText(victim + "\\wichtig.txt", "other");
  const std::string product = dir.Str() + "\\Produkt";
  fs::create_directories(product);
  fs::create_directories(victim + "\\leer");
  ASSERT_NO_FATAL_FAILURE(test::MakeSymbolicLink(victim, product + "\\daten"));
  ASSERT_NO_FATAL_FAILURE(test::MakeSymbolicLink(victim + "\\leer", product + "\\leer"));

  EXPECT_EQ(CodeOf(Delete(product + "\\daten\\wichtig.txt", HeldItem::File)), kReachedThroughLink);
  EXPECT_EQ(
      CodeOf(DeleteHeld(product + "\\daten\\", product + "\\daten\\wichtig.txt", HeldItem::File)),
      kReachedThroughLink);
  // Windows deletes a link in the item's place as the link; where the
  // handle reaches what it points to instead, it is let go untouched.
  const auto inPlace = Delete(product + "\\leer", HeldItem::Folder);
  EXPECT_TRUE(CodeOf(inPlace) == kReachedThroughLink ||
              (CodeOf(inPlace) == ERROR_SUCCESS && !fs::exists(product + "\\leer")))
      << CodeOf(inPlace);
  EXPECT_TRUE(fs::is_directory(victim + "\\leer"));
  EXPECT_EQ(test::ReadText(victim + "\\wichtig.txt"), "other");
}

}  // namespace
}  // namespace pelmora::winsupport
