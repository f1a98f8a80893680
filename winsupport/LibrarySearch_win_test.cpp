// Where libraries come from: the narrowed search, system libraries by full
// path, and the common controls. A program of its own, since narrowing the
// search cannot be undone in a process.
#include <windows.h>
// After windows.h, which it builds on.
#include <commctrl.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "TestPaths.h"
#include "common/WinHandle.h"
#include "winsupport/CommonControls_win.h"
#include "winsupport/LibrarySearch_win.h"

namespace pelmora::winsupport {
namespace {

std::string ModulePath(HMODULE module) {
  char path[MAX_PATH] = {};
  const DWORD length = ::GetModuleFileNameA(module, path, MAX_PATH);
  return std::string(path, length);
}

std::string SystemFolder() {
  char folder[MAX_PATH] = {};
  const UINT length = ::GetSystemDirectoryA(folder, MAX_PATH);
  return std::string(folder, length);
}

bool SameText(const std::string& a, const std::string& b) {
  return ::lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

bool StartsWithText(const std::string& text, const std::string& start) {
  return text.size() >= start.size() && SameText(text.substr(0, start.size()), start);
}

TEST(LibrarySearch, SystemLibrariesAreLoadedByTheirFullPathFromTheSystemFolder) {
  const std::string expected = SystemFolder() + "\\version.dll";
  EXPECT_TRUE(SameText(SystemLibraryPath("version.dll"), expected))
      << SystemLibraryPath("version.dll");

  const win::LoadedLibrary version = LoadSystemLibrary("version.dll");
  ASSERT_TRUE(version);
  EXPECT_TRUE(SameText(ModulePath(version.Get()), expected)) << ModulePath(version.Get());
  EXPECT_NE(::GetProcAddress(version.Get(), "GetFileVersionInfoSizeA"), nullptr);

  EXPECT_FALSE(LoadSystemLibrary("pelmora-no-such-library.dll"));
}

TEST(LibrarySearch, CommonControlsComeFromTheSystemAndRegisterTheProgressBar) {
  ASSERT_TRUE(InitCommonControlsFromSystem(ICC_PROGRESS_CLASS));
  const HMODULE library = ::GetModuleHandleA("comctl32.dll");
  ASSERT_NE(library, nullptr);
  // Without a manifest that selects a side-by-side copy: the system folder's.
  EXPECT_TRUE(StartsWithText(ModulePath(library), SystemFolder() + "\\")) << ModulePath(library);

  win::UniqueWindow bar(::CreateWindowExA(0, PROGRESS_CLASSA, "", WS_POPUP, 0, 0, 200, 20, nullptr,
                                          nullptr, ::GetModuleHandleA(nullptr), nullptr));
  ASSERT_TRUE(bar) << "error " << ::GetLastError();
  ::SendMessageA(bar.Get(), PBM_SETPOS, 40, 0);
  EXPECT_EQ(::SendMessageA(bar.Get(), PBM_GETPOS, 0, 0), 40);
  bar.Reset();
  EXPECT_TRUE(InitCommonControlsFromSystem(ICC_PROGRESS_CLASS)) << "a second call must work too";
}

// Last in this program: the narrowed search stays for the rest of the process.
TEST(LibrarySearch, APlantedLibraryInTheWorkingDirectoryIsNoLongerFoundByName) {
  pelmora::test::ScratchDir scratch("search");
  std::filesystem::copy_file(pelmora::test::HostPath(PELMORA_TESTPROG_PLANTED),
                             scratch.Path() / "pelmoraplanted.dll");
  char previous[MAX_PATH] = {};
  ASSERT_NE(::GetCurrentDirectoryA(MAX_PATH, previous), 0u);
  ASSERT_TRUE(::SetCurrentDirectoryA(scratch.Str().c_str()));

  // Found by its plain name before: the test can see the fault it guards against.
  const bool foundBefore = bool(win::LoadedLibrary(::LoadLibraryA("pelmoraplanted.dll")));

  const LibrarySearch result = HardenLibrarySearch();
  const bool foundAfter = bool(win::LoadedLibrary(::LoadLibraryA("pelmoraplanted.dll")));
  // System libraries are still found by name.
  const win::LoadedLibrary kernel(::LoadLibraryA("kernel32.dll"));
  ::SetCurrentDirectoryA(previous);

  EXPECT_TRUE(foundBefore) << "the planted library was not found even before";
  EXPECT_EQ(result, LibrarySearch::kSystemFolderOnly) << "Wine offers SetDefaultDllDirectories";
  EXPECT_FALSE(foundAfter) << "the planted library is still found by its plain name";
  EXPECT_TRUE(kernel);
}

}  // namespace
}  // namespace pelmora::winsupport
