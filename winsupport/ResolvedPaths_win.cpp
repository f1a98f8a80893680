#include "winsupport/ResolvedPaths_win.h"

#include <windows.h>

#include <vector>

#include "common/WinHandle.h"
#include "winsupport/ShellFolders_win.h"

namespace pelmora::winsupport {
namespace {

using contract::Reason;

struct Identity {
  DWORD volume;
  DWORD high;
  DWORD low;
  bool operator==(const Identity&) const = default;
};

// A folder is opened for its identity only: no access to its content, every
// kind of sharing, and the flag without which a folder cannot be opened.
std::optional<Identity> IdentityOf(const std::string& path) {
  const win::UniqueHandle folder(
      ::CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!folder || !::GetFileInformationByHandle(folder.Get(), &info)) return std::nullopt;
  return Identity{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

// The folder itself and the folders holding it, below the drive's root.
std::vector<std::string> WithParents(const std::string& folder) {
  const auto parsed = contract::TargetFolder::Parse(folder);
  const auto* target = std::get_if<contract::TargetFolder>(&parsed);
  if (target == nullptr) return {};
  std::vector<std::string> chain = target->Parents();
  chain.push_back(target->Path());
  return chain;
}

}  // namespace

std::string LongPathOf(const std::string& path) {
  if (path.find('~') == std::string::npos) return path;
  // Windows 2000 and 98 have it, NT 4 and 95 do not.
  using LongPathFunction = DWORD(WINAPI*)(LPCSTR, LPSTR, DWORD);
  const auto longPath =
      win::LookUpExport<LongPathFunction>(::GetModuleHandleA("kernel32.dll"), "GetLongPathNameA");
  if (longPath == nullptr) return path;
  // The longest head that exists is resolved; what lies below it is kept.
  std::string head = path;
  while (!head.empty() && (head.back() == '\\' || head.back() == '/')) head.pop_back();
  while (head.size() > 2) {
    char resolved[MAX_PATH] = {};
    const DWORD length = longPath(head.c_str(), resolved, MAX_PATH);
    if (length > 0 && length < MAX_PATH)
      return std::string(resolved, length) + path.substr(head.size());
    const std::size_t cut = head.find_last_of("\\/");
    if (cut == std::string::npos) break;
    head.resize(cut);
  }
  return path;
}

bool SameFolder(const std::string& a, const std::string& b) {
  const std::optional<Identity> first = IdentityOf(a);
  return first && first == IdentityOf(b);
}

contract::SystemFolders RunningSystemFolders() { return {WindowsFolder(), FoldersOfAllUsers()}; }

std::optional<contract::Refusal> CheckResolvedTarget(const std::string& target,
                                                     const contract::SystemFolders& system) {
  if (auto refusal = contract::CheckTargetFolder(target, system)) return refusal;
  const std::string resolved = LongPathOf(target);
  if (auto refusal = contract::CheckTargetFolder(resolved, system)) return refusal;

  // Where the text differs yet the folder is one: another drive letter for
  // the same volume, a link, a short name Windows did not resolve.
  const std::vector<std::string> chain = WithParents(resolved);
  if (chain.empty()) return std::nullopt;
  std::vector<std::optional<Identity>> identities;
  for (const std::string& folder : chain) identities.push_back(IdentityOf(folder));
  const std::optional<Identity>& own = identities.back();

  if (const std::optional<Identity> windows = IdentityOf(system.windows))
    for (const std::optional<Identity>& folder : identities)
      if (folder == windows) return Reason::InsideWindows;
  if (!own) return std::nullopt;  // not made yet: it holds nothing
  std::vector<std::string> others = system.others;
  others.push_back(system.windows);
  for (const std::string& other : others)
    for (const std::string& folder : WithParents(other))
      if (IdentityOf(folder) == own) return Reason::SystemFolder;
  return std::nullopt;
}

}  // namespace pelmora::winsupport
