// The Windows list of installed programs as the uninstaller reads it: the
// Uninstall entries under HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER and the
// command each one starts. Windows only.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace pelmora::uninstall {

// An entry whose UninstallString starts the uninstaller with the protocol
// (paths compared ignoring case), with what the setup recorded there.
// The digests are those this program may trust (winsupport::ReadSeal): with
// administrator rights the entry's seal below HKEY_LOCAL_MACHINE, else the
// entry's own values.
struct ProductEntry {
  HKEY root;            // HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER
  std::string keyPath;  // below root
  std::string displayName;
  std::optional<std::string> protocolDigest;  // nothing when nothing vouches
  std::string serverDigests;
};

// Every such entry, the machine's before the user's.
std::vector<ProductEntry> FindProductEntries(const std::string& protocolPath, bool elevated);

}  // namespace pelmora::uninstall
