// The Windows list of installed programs as the uninstaller reads it: the
// Uninstall keys under HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER and the
// command each one starts. Windows only.
#pragma once

#include <string>

namespace pelmora::uninstall {

// The DisplayName of the Uninstall entry whose UninstallString starts the
// uninstaller with this protocol (paths compared ignoring case); empty when
// no entry does or it has no name.
std::string DisplayNameForProtocol(const std::string& protocolPath);

// Whether any Uninstall entry still starts this program: several products
// share the one uninstaller in the Windows folder.
bool AnyEntryStartsProgram(const std::string& programPath);

}  // namespace pelmora::uninstall
