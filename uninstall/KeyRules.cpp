#include "uninstall/KeyRules.h"

#include "contract/UninstallEntry.h"
#include "winsupport/AnsiText.h"
#include "winsupport/RegistryPath.h"

namespace pelmora::uninstall {
namespace {

// Keys that hold other software's keys or Windows' own settings. Deleting
// one with its subkeys would damage far more than the product, so none is
// ever deleted, whatever root the line names (both roots have most of them).
constexpr std::string_view kSharedKeys[] = {
    // The roots of all software settings and of file types and COM classes.
    "Software",
    "Software\\Classes",
    "Software\\Classes\\*",
    "Software\\Classes\\AppID",
    "Software\\Classes\\CLSID",
    "Software\\Classes\\Directory",
    "Software\\Classes\\Folder",
    "Software\\Classes\\Interface",
    "Software\\Classes\\TypeLib",
    "Software\\Clients",
    "Software\\Policies",
    "Software\\Microsoft",
    "Software\\Microsoft\\Windows",
    "Software\\Microsoft\\Windows\\CurrentVersion",
    // Where every product is listed and started from.
    "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Policies",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
    "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions",
    contract::kUninstallKeyParent,
    "Software\\Microsoft\\Windows NT",
    "Software\\Microsoft\\Windows NT\\CurrentVersion",
    "Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon",
    // The 32-bit view on 64-bit Windows repeats the above below this key
    // (handled by dropping it before the comparison).
    "Software\\Wow6432Node",
    // The user's own settings.
    "AppEvents",
    "Console",
    "Control Panel",
    "Environment",
    "Keyboard Layout",
    "Network",
    "Printers",
};

// Below these the whole tree belongs to Windows: drivers, services,
// security and hardware settings. No protocol line names them.
constexpr std::string_view kSystemTrees[] = {
    "System", "SAM", "Security", "Hardware", "BCD00000000",
};

bool IsShared(std::string_view key) {
  constexpr std::string_view kWow = "Software\\Wow6432Node\\";
  std::string unmirrored;
  if (key.size() > kWow.size() &&
      winsupport::EqualsIgnoreCaseAnsi(key.substr(0, kWow.size()), kWow)) {
    unmirrored = "Software\\" + std::string(key.substr(kWow.size()));
    key = unmirrored;
  }
  for (std::string_view shared : kSharedKeys)
    if (winsupport::EqualsIgnoreCaseAnsi(key, shared)) return true;
  const std::string_view first = key.substr(0, key.find('\\'));
  for (std::string_view tree : kSystemTrees)
    if (winsupport::EqualsIgnoreCaseAnsi(first, tree)) return true;
  return false;
}

// The line's own root may be spelt out in front; the other root may not.
std::variant<std::string_view, Reason> WithoutRootPrefix(std::string_view key, KeyRoot root) {
  struct Prefix {
    std::string_view text;
    KeyRoot root;
  };
  constexpr Prefix kPrefixes[] = {
      {"HKEY_LOCAL_MACHINE", KeyRoot::LocalMachine},
      {"HKLM", KeyRoot::LocalMachine},
      {"HKEY_CURRENT_USER", KeyRoot::CurrentUser},
      {"HKCU", KeyRoot::CurrentUser},
  };
  const std::string_view first = key.substr(0, key.find('\\'));
  for (const Prefix& prefix : kPrefixes)
    if (winsupport::EqualsIgnoreCaseAnsi(first, prefix.text)) {
      if (prefix.root != root) return Reason::WrongRoot;
      return key.substr(first.size());
    }
  // HKEY_CLASSES_ROOT, HKEY_USERS and the like: never the line's root.
  if (first.size() > 5 && winsupport::EqualsIgnoreCaseAnsi(first.substr(0, 5), "HKEY_"))
    return Reason::WrongRoot;
  return key;
}

}  // namespace

std::string_view RootName(KeyRoot root) {
  return root == KeyRoot::LocalMachine ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
}

std::variant<std::string, Reason> CheckKey(std::string_view keyPath, KeyRoot root) {
  while (!keyPath.empty() && keyPath.front() == '\\') keyPath.remove_prefix(1);
  const auto unprefixed = WithoutRootPrefix(keyPath, root);
  if (const Reason* reason = std::get_if<Reason>(&unprefixed)) return *reason;
  const std::string key =
      winsupport::NormalizeRegistryKeyPath(std::get<std::string_view>(unprefixed));
  if (winsupport::NamesRootKey(key)) return Reason::ShallowKey;
  // "/" is an ordinary character in key names; only "\" separates.
  std::size_t levels = 0;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = key.find('\\', start);
    const std::string_view name =
        std::string_view(key).substr(start, end == std::string::npos ? end : end - start);
    if (name.empty()) return Reason::MalformedKey;
    ++levels;
    if (end == std::string::npos) break;
    start = end + 1;
  }
  if (IsShared(key)) return Reason::SharedKey;
  if (levels < 2) return Reason::ShallowKey;
  return key;
}

}  // namespace pelmora::uninstall
