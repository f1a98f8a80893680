#include "winsupport/ShellFolders_win.h"

#include <windows.h>
#include <shlobj.h>

#include "common/TaskMemory_win.h"

namespace pelmora::winsupport {

std::string ShellFolderPath(int csidl) {
  // The item-list form is in every shell from Windows 95 on; the path
  // functions came later.
  win::ItemList folder;
  if (FAILED(::SHGetSpecialFolderLocation(nullptr, csidl, folder.Receive()))) return {};
  char path[MAX_PATH] = {};
  if (!::SHGetPathFromIDListA(folder.Get(), path)) return {};
  std::string text = path;
  while (!text.empty() && text.back() == '\\') text.pop_back();
  return text;
}

std::string StartMenuProgramsFolder() { return ShellFolderPath(CSIDL_PROGRAMS); }

std::string WindowsFolder() {
  char folder[MAX_PATH] = {};
  const UINT length = ::GetWindowsDirectoryA(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  std::string path(folder, length);
  while (!path.empty() && path.back() == '\\') path.pop_back();
  return path;
}

std::vector<std::string> FoldersOfAllUsers() {
  // Not every Windows has the 32-bit program files folders (CSIDL values
  // 0x2a and 0x2c, from XP on) or names the 64-bit one to a 32-bit program
  // other than through the environment.
  constexpr int kProgramFilesX86 = 0x2a;
  constexpr int kProgramFilesCommonX86 = 0x2c;
  std::vector<std::string> folders;
  for (const int csidl :
       {CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILES_COMMON, kProgramFilesX86, kProgramFilesCommonX86,
        CSIDL_PROFILE, CSIDL_APPDATA, CSIDL_LOCAL_APPDATA, CSIDL_COMMON_APPDATA, CSIDL_PERSONAL,
        CSIDL_COMMON_DOCUMENTS, CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_DESKTOPDIRECTORY,
        CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS, CSIDL_STARTMENU, CSIDL_COMMON_STARTMENU}) {
    std::string folder = ShellFolderPath(csidl);
    if (!folder.empty()) folders.push_back(std::move(folder));
  }
  char native[MAX_PATH] = {};
  const DWORD length = ::GetEnvironmentVariableA("ProgramW6432", native, MAX_PATH);
  if (length > 0 && length < MAX_PATH) folders.emplace_back(native, length);
  return folders;
}

}  // namespace pelmora::winsupport
