// The Windows list of installed programs as the uninstaller reads it: the
// Uninstall entries under HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER and the
// command each one starts. Windows only.
#pragma once

#include <string>

namespace pelmora::uninstall {

// The product's entry: the one whose UninstallString starts the
// uninstaller with this protocol (paths compared ignoring case), the
// machine's before the user's.
struct ProductEntry {
  std::string keyPath;      // below its root; empty when no entry names the protocol
  std::string displayName;  // empty when it has none
};

ProductEntry FindProductEntry(const std::string& protocolPath);

}  // namespace pelmora::uninstall
