#include <windows.h>

#include "winsupport/LibrarySearch_win.h"

namespace pelmora::winsupport {
namespace {

using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD directoryFlags);
using SetDllDirectoryFunction = BOOL(WINAPI*)(LPCSTR pathName);

// LOAD_LIBRARY_SEARCH_SYSTEM32, spelled out: the headers offer it only when
// building for Windows 8 and later.
constexpr DWORD kSearchSystemFolder = 0x00000800;

}  // namespace

LibrarySearch HardenLibrarySearch() noexcept {
  const HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
  const auto setDefaultDirectories =
      win::LookUpExport<SetDefaultDllDirectoriesFunction>(kernel, "SetDefaultDllDirectories");
  if (setDefaultDirectories && setDefaultDirectories(kSearchSystemFolder))
    return LibrarySearch::kSystemFolderOnly;
  // An empty text takes the working directory out of the search order.
  const auto setDirectory = win::LookUpExport<SetDllDirectoryFunction>(kernel, "SetDllDirectoryA");
  if (setDirectory && setDirectory("")) return LibrarySearch::kWithoutWorkingDirectory;
  return LibrarySearch::kUnchanged;
}

std::string SystemLibraryPath(const char* fileName) {
  char folder[MAX_PATH] = {};
  const UINT length = ::GetSystemDirectoryA(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  std::string path(folder, length);
  if (path.back() != '\\') path += '\\';
  return path + fileName;
}

win::LoadedLibrary LoadSystemLibrary(const char* fileName) noexcept {
  const std::string path = SystemLibraryPath(fileName);
  if (path.empty()) return {};
  // The altered search order takes what this library needs from its own
  // folder, the system folder, too.
  return win::LoadedLibrary(::LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
}

}  // namespace pelmora::winsupport
