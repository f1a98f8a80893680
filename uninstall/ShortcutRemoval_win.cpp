#include "uninstall/ShortcutRemoval_win.h"

#include <windows.h>
#include <objidl.h>
#include <shlobj.h>

#include <vector>

#include "common/WinHandle.h"
#include "uninstall/ShortcutRule.h"

namespace pelmora::uninstall {
namespace {

std::wstring Widened(const std::string& text) {
  const int length = ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  if (length <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), length);
  wide.resize(static_cast<std::size_t>(length - 1));
  return wide;
}

struct LinkFields {
  std::string target;
  std::string arguments;
};

// The link's target and arguments; false when it cannot be read (then it
// is not known to be the product's and stays).
bool ReadLink(const std::string& file, LinkFields& fields) {
  win::ComInterface<IShellLinkA> link;
  if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(link.Receive()))))
    return false;
  win::ComInterface<IPersistFile> persist;
  if (FAILED(link.Get()->QueryInterface(IID_IPersistFile,
                                        reinterpret_cast<void**>(persist.Receive()))) ||
      FAILED(persist.Get()->Load(Widened(file).c_str(), STGM_READ)))
    return false;
  char text[INFOTIPSIZE] = {};
  if (FAILED(link.Get()->GetPath(text, MAX_PATH, nullptr, 0))) return false;
  fields.target = text;
  text[0] = '\0';
  if (FAILED(link.Get()->GetArguments(text, sizeof text))) return false;
  fields.arguments = text;
  return true;
}

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
    LinkFields fields;
    if (!ReadLink(file, fields) ||
        !IsProductShortcut(target, protocolPath, fields.target, fields.arguments))
      continue;
    if (::DeleteFileA(file.c_str()))
      ++outcome.removed.shortcuts;
    else
      outcome.left.push_back({file, Reason::Failed, static_cast<std::uint32_t>(::GetLastError())});
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
          outcome.left.push_back(
              {path, error == ERROR_DIR_NOT_EMPTY ? Reason::NotEmpty : Reason::Failed,
               error == ERROR_DIR_NOT_EMPTY ? 0u : static_cast<std::uint32_t>(error)});
        return;
      }
      ++outcome.removed.folders;
    }
    path.resize(path.find_last_of('\\'));
  }
}

}  // namespace pelmora::uninstall
