// The Windows list of installed programs as the uninstaller reads it: the
// Uninstall entries under HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER and the
// command each one starts. Windows only.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace pelmora::uninstall {

// An entry whose UninstallString starts the uninstaller with the protocol
// (paths compared ignoring case), with what the setup recorded there.
struct ProductEntry {
  std::string keyPath;  // below its root
  std::string displayName;
  std::optional<std::string> protocolDigest;  // nothing when the entry holds none
  std::string serverDigests;
};

// Every such entry, the machine's before the user's.
std::vector<ProductEntry> FindProductEntries(const std::string& protocolPath);

}  // namespace pelmora::uninstall
