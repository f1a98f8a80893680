// The product's entry in Windows' list of installed programs: where it
// lives, the values the setup writes and the uninstaller and a later setup
// read back, and the command that removes the product.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "contract/Refusal.h"

namespace pelmora::contract {

// Every product's entry is a subkey of this key, below HKEY_LOCAL_MACHINE
// (the 9x family) or HKEY_CURRENT_USER (the NT family), or both.
inline constexpr std::string_view kUninstallKeyParent =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// The value names the programs read; the setup writes eight support values
// besides them (setupdesc::kSupportValueNames).
inline constexpr const char* kUninstallStringValue = "UninstallString";
// The same command with /S, which deployment tools run to remove the
// product without a user (contract/CommandLine.h).
inline constexpr const char* kQuietUninstallStringValue = "QuietUninstallString";
inline constexpr const char* kDisplayNameValue = "DisplayName";
inline constexpr const char* kDisplayVersionValue = "DisplayVersion";
inline constexpr const char* kInstallPathValue = "InstallPath";

// A product's key name is one name below kUninstallKeyParent: not empty or
// blanks only (which would name the list itself) and without "\" (which
// would nest it in another product's entry). MalformedKey otherwise.
std::optional<Refusal> CheckUninstallKeyName(std::string_view keyName);

// kUninstallKeyParent + "\" + the product's key name.
std::string UninstallKeyPath(std::string_view keyName);

// The command that removes the product: the uninstaller in the Windows
// folder followed by its argument. windowsFolder and targetFolder end in "\".
std::string UninstallCommand(std::string_view windowsFolder, std::string_view targetFolder);

// UninstallCommand with the silent switch before the protocol's path.
std::string QuietUninstallCommand(std::string_view windowsFolder, std::string_view targetFolder);

// The uninstaller's argument alone, as the uninstall shortcut carries it:
// the protocol's path, quoted.
std::string UninstallArgument(std::string_view targetFolder);

// For a key path at or below a product's entry (in the 32-bit view of a
// 64-bit registry too): the path of that entry. Empty for every other key.
std::string UninstallEntryOf(std::string_view key);

}  // namespace pelmora::contract
