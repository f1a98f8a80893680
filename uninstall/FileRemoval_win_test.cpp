#include "uninstall/FileRemoval_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "TestFiles.h"
#include "TestPaths.h"
#include "common/WinHandle.h"
#include "winsupport/SymbolicLink_win_testutil.h"

namespace pelmora::uninstall {
namespace {

namespace fs = std::filesystem;

// Whether a restart would delete something: the list Windows keeps for it.
std::string PendingAtRestart() {
  win::UniqueRegKey session;
  std::string pending;
  if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\Session Manager", 0,
                      KEY_QUERY_VALUE, session.Receive()) != ERROR_SUCCESS)
    return pending;
  DWORD size = 0;
  if (::RegQueryValueExA(session.Get(), "PendingFileRenameOperations", nullptr, nullptr, nullptr,
                         &size) == ERROR_SUCCESS) {
    pending.resize(size);
    ::RegQueryValueExA(session.Get(), "PendingFileRenameOperations", nullptr, nullptr,
                       reinterpret_cast<BYTE*>(pending.data()), &size);
  }
  return pending;
}

// Moves folder aside and puts a symbolic link to elsewhere in its place.
void SwapForLink(const std::string& folder, const std::string& elsewhere) {
  ASSERT_TRUE(::MoveFileA(folder.c_str(), (folder + ".alt").c_str())) << ::GetLastError();
  ASSERT_NO_FATAL_FAILURE(test::MakeSymbolicLink(elsewhere, folder));
}

// A user who may write the target, or a folder above it, swaps a folder
// for a link right before a deletion below it, after the plan was made and
// the removal began: nothing is deleted behind the link, and the item is
// listed. Once the way is held, the target cannot be renamed. A file in use
// stays, listed, and nothing is left to run at the next restart; a folder
// that still holds something stays too. The folders the setup made above
// the target go when empty and stay quietly else, never through a link.
TEST(FileRemoval, NothingIsDeletedThroughAFolderSwappedAtTheWorstMoment) {
  const test::ScratchDir dir("file-removal");
  const std::string victim = dir.Str() + "\\Opfer";
  fs::create_directories(victim + "\\Leer");
  test::WriteText(victim + "\\b.txt", "other");
  const std::string top = dir.Str() + "\\Firma";
  const std::string target = top + "\\Produkt\\";
  fs::create_directories(target + "sub");
  fs::create_directories(target + "frei");
  fs::create_directories(dir.Str() + "\\Leer");
  fs::create_directories(dir.Str() + "\\Getauscht\\Leer");
  for (const char* file : {"sub\\a.txt", "sub\\b.txt", "frei\\c.txt", "offen.txt"})
    test::WriteText(target + file, "product");

  DWORD targetRename = ERROR_SUCCESS;
  Outcome outcome;
  FileRemoval removal(
      target, outcome,
      [&](const std::string& path) {
        if (path == target + "sub\\b.txt") SwapForLink(target + "sub", victim);
        if (path == dir.Str() + "\\Getauscht\\Leer\\")
          SwapForLink(dir.Str() + "\\Getauscht", victim);
      },
      [&](const std::string& path) {
        if (path == target + "frei\\c.txt" &&
            !::MoveFileA(target.substr(0, target.size() - 1).c_str(), (top + "\\Neu").c_str()))
          targetRename = ::GetLastError();
      });
  const win::UniqueHandle held(::CreateFileA((target + "offen.txt").c_str(), GENERIC_READ,
                                             FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                             FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(held);

  EXPECT_EQ(removal.RemoveFile(target + "sub\\a.txt"), FileRemoval::Result::Removed);
  EXPECT_EQ(removal.RemoveFile(target + "sub\\b.txt"), FileRemoval::Result::Left);
  EXPECT_EQ(removal.RemoveFile(target + "frei\\c.txt"), FileRemoval::Result::Removed);
  EXPECT_EQ(targetRename, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  EXPECT_EQ(removal.RemoveFolder(target + "frei"), FileRemoval::Result::Removed);
  EXPECT_EQ(removal.RemoveFile(target + "offen.txt"), FileRemoval::Result::Left);
  EXPECT_EQ(removal.RemoveFile(target + "fehlt.txt"), FileRemoval::Result::Missing);
  EXPECT_EQ(removal.RemoveFile(target + "sub.alt"), FileRemoval::Result::IsFolder);
  EXPECT_EQ(removal.RemoveFolder(target), FileRemoval::Result::Left);
  removal.RemoveParent(top + "\\");
  removal.RemoveParent(dir.Str() + "\\Leer\\");
  removal.RemoveParent(dir.Str() + "\\Getauscht\\Leer\\");

  EXPECT_EQ(test::ReadText(victim + "\\b.txt"), "other");
  EXPECT_TRUE(fs::is_directory(victim + "\\Leer"));
  EXPECT_EQ(test::ReadText(target + "sub.alt\\b.txt"), "product");
  EXPECT_EQ(test::ReadText(target + "offen.txt"), "product");
  EXPECT_FALSE(fs::exists(target + "frei"));
  EXPECT_TRUE(fs::exists(top));
  EXPECT_FALSE(fs::exists(dir.Str() + "\\Leer"));
  ASSERT_EQ(outcome.left.size(), 3u);
  EXPECT_EQ(outcome.left[0].refusal.detail, target + "sub\\b.txt");
  EXPECT_EQ(outcome.left[0].refusal.reason, Reason::ThroughLink);
  EXPECT_EQ(outcome.left[1].refusal.detail, target + "offen.txt");
  EXPECT_EQ(outcome.left[1].refusal.reason, Reason::InUse);
  EXPECT_EQ(outcome.left[1].code, static_cast<std::uint32_t>(ERROR_SHARING_VIOLATION));
  EXPECT_EQ(outcome.left[2].refusal.reason, Reason::NotEmpty);
  EXPECT_EQ(outcome.removed.files, 2u);
  EXPECT_EQ(outcome.removed.folders, 2u);
  EXPECT_EQ(PendingAtRestart().find("offen.txt"), std::string::npos);
}

}  // namespace
}  // namespace pelmora::uninstall
