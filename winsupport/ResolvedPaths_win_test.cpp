#include "winsupport/ResolvedPaths_win.h"

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "TestPaths.h"
#include "common/WinHandle.h"
#include "winsupport/ShellFolders_win.h"

namespace pelmora::winsupport {
namespace {

using contract::Reason;

std::string ShortPathOf(const std::string& path) {
  char buffer[MAX_PATH] = {};
  const DWORD length = ::GetShortPathNameA(path.c_str(), buffer, MAX_PATH);
  return length > 0 && length < MAX_PATH ? std::string(buffer, length) : std::string();
}

// The same folder through the emulator's drive for the whole Unix tree,
// where one exists: a spelling no text comparison can match.
std::string OtherSpellingOf(const std::string& path) {
  using UnixName = char*(CDECL*)(const wchar_t*);
  const auto unixName =
      win::LookUpExport<UnixName>(::GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name");
  if (unixName == nullptr) return {};
  const std::wstring wide(path.begin(), path.end());
  char* name = unixName(wide.c_str());
  if (name == nullptr) return {};
  std::string other = "Z:" + std::string(name);
  ::HeapFree(::GetProcessHeap(), 0, name);
  for (char& c : other)
    if (c == '/') c = '\\';
  return other;
}

// A folder of Windows or of all users, however it is written: by its short
// name (the long form of the longest existing head decides) or by another
// path to the same folder (its identity decides).
TEST(ResolvedPaths, SystemFoldersAreKnownByShortNameAndByIdentity) {
  const test::ScratchDir scratch("resolved");
  const std::string windows = scratch.Str() + "\\Windows Folder Long";
  const std::string shared = scratch.Str() + "\\Shared Folder Long";
  ASSERT_TRUE(::CreateDirectoryA(windows.c_str(), nullptr));
  ASSERT_TRUE(::CreateDirectoryA(shared.c_str(), nullptr));
  const contract::SystemFolders system{windows, {shared}};

  const std::string shortWindows = ShortPathOf(windows);
  const std::string shortShared = ShortPathOf(shared);
  ASSERT_NE(shortWindows.find('~'), std::string::npos) << shortWindows;
  ASSERT_NE(shortShared.find('~'), std::string::npos) << shortShared;
  EXPECT_TRUE(
      contract::SamePath(LongPathOf(shortWindows + "\\Neu\\Tiefer\\"), windows + "\\Neu\\Tiefer\\"))
      << LongPathOf(shortWindows + "\\Neu\\Tiefer\\");

  const auto reason = [&](const std::string& target) {
    const auto refusal = CheckResolvedTarget(target, system);
    return refusal ? std::optional(refusal->reason) : std::nullopt;
  };
  EXPECT_EQ(reason(shortWindows + "\\Tool\\"), Reason::InsideWindows);
  EXPECT_EQ(reason(shortShared + "\\"), Reason::SystemFolder);
  EXPECT_EQ(reason(ShortPathOf(scratch.Str()) + "\\"), Reason::SystemFolder);  // holds them
  EXPECT_EQ(reason(shortShared + "\\Tool\\"), std::nullopt);  // below one: a product's own
  EXPECT_EQ(reason(scratch.Str() + "\\Anderes\\"), std::nullopt);

  // The running Windows' own program folder by its short name.
  const contract::SystemFolders running = RunningSystemFolders();
  const std::string programs = ShellFolderPath(CSIDL_PROGRAM_FILES);
  const std::string shortPrograms = ShortPathOf(programs);
  ASSERT_NE(shortPrograms, programs);
  EXPECT_EQ(CheckResolvedTarget(shortPrograms + "\\", running).value().reason, Reason::SystemFolder)
      << shortPrograms;

  const std::string otherWindows = OtherSpellingOf(windows);
  if (otherWindows.empty()) GTEST_SKIP() << "no second path to a folder on this system";
  EXPECT_TRUE(SameFolder(otherWindows, windows));
  EXPECT_FALSE(SameFolder(otherWindows, shared));
  EXPECT_EQ(reason(otherWindows + "\\Tool\\"), Reason::InsideWindows);
  EXPECT_EQ(reason(OtherSpellingOf(shared) + "\\"), Reason::SystemFolder);
}

}  // namespace
}  // namespace pelmora::winsupport
