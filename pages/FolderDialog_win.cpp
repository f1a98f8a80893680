#include "pages/FolderDialog_win.h"

#include <shlobj.h>

#include "common/TaskMemory_win.h"
#include "common/WinHandle.h"
#include "pages/Window_win.h"
#include "winsupport/Files_win.h"

namespace pelmora::pages {

namespace {

int CALLBACK SelectOnStart(HWND dialog, UINT message, LPARAM, LPARAM path) {
  if (message == BFFM_INITIALIZED && path) SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, path);
  return 0;
}

}  // namespace

std::optional<std::string> BrowseForDirectory(HWND owner, const std::string& title,
                                              const std::string& preselect) {
  const std::string path = winsupport::IsExistingFolder(preselect) ? preselect : std::string();
  char displayName[MAX_PATH] = {};
  BROWSEINFOA info{};
  info.hwndOwner = owner;
  info.pszDisplayName = displayName;
  info.lpszTitle = title.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  if (!path.empty()) {
    info.lpfn = SelectOnStart;
    info.lParam = reinterpret_cast<LPARAM>(path.c_str());
  }
  win::ItemList chosen;
  {
    winsupport::OtherWindowsDisabled wizard(nullptr);
    chosen.Reset(SHBrowseForFolderA(&info));
  }
  if (!chosen) return std::nullopt;
  char folder[MAX_PATH] = {};
  if (!SHGetPathFromIDListA(chosen.Get(), folder)) return std::nullopt;
  return std::string(folder);
}

std::vector<std::string> CreateFolderToPreselect(const std::string& path) {
  const std::vector<std::string> created = winsupport::CreateFolderTree(path);
  // Reading the new folders once settles their access times. A shell that
  // keeps folder entries with their times (seen under Wine) may otherwise
  // not recognise the folder it is asked to preselect.
  for (const std::string& folder : created) {
    WIN32_FIND_DATAA entry;
    win::FindHandle search(FindFirstFileA((folder + "\\*").c_str(), &entry));
  }
  return created;
}

}  // namespace pelmora::pages
