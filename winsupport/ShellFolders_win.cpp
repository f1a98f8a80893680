#include "winsupport/ShellFolders_win.h"

#include <windows.h>
#include <shlobj.h>

#include "common/WinHandle.h"

namespace pelmora::winsupport {

std::string ShellFolderPath(int csidl) {
  // The item-list form is in every shell from Windows 95 on; the path
  // functions came later.
  LPITEMIDLIST folder = nullptr;
  if (FAILED(::SHGetSpecialFolderLocation(nullptr, csidl, &folder))) return {};
  char path[MAX_PATH] = {};
  const bool found = ::SHGetPathFromIDListA(folder, path) != FALSE;
  win::ComInterface<IMalloc> shellMemory;
  if (SUCCEEDED(::SHGetMalloc(shellMemory.Receive()))) shellMemory.Get()->Free(folder);
  if (!found) return {};
  std::string text = path;
  while (!text.empty() && text.back() == '\\') text.pop_back();
  return text;
}

std::string StartMenuProgramsFolder() { return ShellFolderPath(CSIDL_PROGRAMS); }

}  // namespace pelmora::winsupport
