#include "uninstall/ShortcutRemoval_win.h"

#include <windows.h>

#include <vector>

#include "common/WinHandle.h"
#include "winsupport/ShellLink_win.h"
#include "uninstall/ShortcutRule.h"

namespace pelmora::uninstall {

using contract::PathComponents;
using contract::TargetFolder;
namespace {

std::vector<std::string> LinkFiles(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found{};
  const win::FindHandle search(::FindFirstFileA((folder + "\\*.lnk").c_str(), &found));
  if (!search) return names;
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
      names.emplace_back(found.cFileName);
  } while (::FindNextFileA(search.Get(), &found));
  return names;
}

}  // namespace

void RemoveGroup(const std::string& programsFolder, const std::string& group,
                 const TargetFolder& target, const std::string& protocolPath, Outcome& outcome) {
  const std::string folder = group.empty() ? programsFolder : programsFolder + "\\" + group;
  for (const std::string& name : LinkFiles(folder)) {
    const std::string file = folder + "\\" + name;
    // A fresh object per link: nothing of one may pass for the next.
    winsupport::ShellLink link;
    if (!link.LoadFromFile(file) ||
        !IsProductShortcut(target, protocolPath, link.Path(), link.Arguments()))
      continue;
    if (::DeleteFileA(file.c_str()))
      outcome.Gone(Kind::Shortcut, file);
    else
      outcome.Leave(Reason::Failed, file, ::GetLastError());
  }
  if (group.empty()) return;
  // The group's own folder is the product's: when it stays, the user put
  // something there. Its parents ("Firma" of "Firma\Tool") may hold other
  // products' groups, so they go quietly when empty and stay quietly else.
  std::string path = folder;
  for (std::size_t level = PathComponents(group).size(); level > 0; --level) {
    if (::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
      if (!::RemoveDirectoryA(path.c_str())) {
        const DWORD error = ::GetLastError();
        if (path == folder)
          outcome.Leave(error == ERROR_DIR_NOT_EMPTY ? Reason::NotEmpty : Reason::Failed, path,
                        error == ERROR_DIR_NOT_EMPTY ? 0u : static_cast<std::uint32_t>(error));
        return;
      }
      outcome.Gone(Kind::Folder, path);
    }
    path.resize(path.find_last_of('\\'));
  }
}

}  // namespace pelmora::uninstall
