#include "uninstall/FileRemoval_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "TestFiles.h"
#include "TestPaths.h"
#include "common/WinHandle.h"

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

// A user who may write the target swaps a folder for a link right before a
// deletion in it, after the plan was made and the removal began: the way is
// checked again at that moment and nothing is deleted there. (The emulator
// the tests run under makes no links from inside, so the file system's
// answer is stood in for; the end-to-end test puts a real link from
// outside.) A file in use stays, listed, and nothing is left to run at the
// next restart; a folder that still holds it stays too.
TEST(FileRemoval, TheWayIsCheckedRightBeforeEachDeletionAndNothingWaitsForARestart) {
  const test::ScratchDir dir("file-removal");
  const fs::path target = dir.Path() / "Produkt";
  fs::create_directories(target / "sub");
  fs::create_directories(target / "frei");
  for (const char* file : {"sub/a.txt", "sub/b.txt", "frei/c.txt", "offen.txt"})
    test::WriteText(target / file, "product");
  const std::string targetFolder = target.string() + "\\";

  std::set<std::string> links;  // folders that have become links
  Outcome outcome;
  FileRemoval removal(
      targetFolder, outcome,
      [&](const std::string& path) {
        if (path == targetFolder + "sub\\b.txt") links.insert(targetFolder + "sub");
      },
      [&](const std::string& base, const std::string& path) {
        for (const std::string& link : links)
          if (path.starts_with(link + "\\") && base == targetFolder) return true;
        return false;
      });
  const win::UniqueHandle held(::CreateFileA((target / "offen.txt").string().c_str(), GENERIC_READ,
                                             FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                             FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(held);

  EXPECT_EQ(removal.RemoveFile(targetFolder + "sub\\a.txt"), FileRemoval::Result::Removed);
  EXPECT_EQ(removal.RemoveFile(targetFolder + "sub\\b.txt"), FileRemoval::Result::Left);
  EXPECT_TRUE(fs::exists(target / "sub" / "b.txt"));
  EXPECT_EQ(removal.RemoveFile(targetFolder + "frei\\c.txt"), FileRemoval::Result::Removed);
  EXPECT_EQ(removal.RemoveFolder(targetFolder + "frei"), FileRemoval::Result::Removed);
  EXPECT_EQ(removal.RemoveFile(targetFolder + "offen.txt"), FileRemoval::Result::Left);
  EXPECT_TRUE(fs::exists(target / "offen.txt"));
  EXPECT_EQ(removal.RemoveFile(targetFolder + "fehlt.txt"), FileRemoval::Result::Missing);
  EXPECT_EQ(removal.RemoveFile(targetFolder + "sub"), FileRemoval::Result::IsFolder);
  EXPECT_EQ(removal.RemoveFolder(target.string()), FileRemoval::Result::Left);

  ASSERT_EQ(outcome.left.size(), 3u);
  EXPECT_EQ(outcome.left[0].refusal.detail, targetFolder + "sub\\b.txt");
  EXPECT_EQ(outcome.left[0].refusal.reason, Reason::ThroughLink);
  EXPECT_EQ(outcome.left[1].refusal.reason, Reason::InUse);
  EXPECT_EQ(outcome.left[2].refusal.reason, Reason::NotEmpty);
  EXPECT_EQ(outcome.removed.files, 2u);
  EXPECT_EQ(outcome.removed.folders, 1u);
  EXPECT_EQ(PendingAtRestart().find("offen.txt"), std::string::npos);
}

}  // namespace
}  // namespace pelmora::uninstall
