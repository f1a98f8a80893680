// Which registry keys the setup may create and wipe and the uninstaller may
// delete with their subkeys, and the packer lets into a description: one
// rule for all three. A damaged or altered protocol or description must not
// take "Software", Windows' own settings or another product's entry with it.
#pragma once

#include <string>
#include <string_view>
#include <variant>

#include "contract/Refusal.h"

namespace pelmora::contract {

enum class KeyRoot { LocalMachine, CurrentUser };

// "HKEY_LOCAL_MACHINE" or "HKEY_CURRENT_USER", for messages.
std::string_view RootName(KeyRoot root);

// A key of the product's settings (a description's registry line, created
// below HKEY_CURRENT_USER and wiped by a complete repair): an allow-list,
// the vendor's own key Software\<vendor> or a key below it, where <vendor>
// is no tree Windows or other software shares (Classes, Microsoft,
// Policies, Clients, ODBC, AppDataLow, ...; Software itself is SharedKey,
// everything outside Software is OutsideSoftware). The 32-bit view
// (Software\Wow6432Node\...) is judged as what it mirrors.
// Returns the key as it is to be used (no leading or trailing "\", a
// "HKEY_..." prefix naming this root dropped), or why not.
std::variant<std::string, Refusal> CheckSettingsKey(std::string_view keyPath,
                                                    KeyRoot root = KeyRoot::CurrentUser);

// Whether the key is a vendor's own key that passes CheckSettingsKey:
// Software\<vendor> (or its 32-bit view), which other products of the vendor
// share. A complete repair does not wipe it, and it goes only when nothing
// is left in it.
bool IsVendorKey(std::string_view keyPath, KeyRoot root = KeyRoot::CurrentUser);

// A key line of a protocol: below HKEY_LOCAL_MACHINE only the product's own
// Uninstall entry (productEntry, the key the setup wrote; empty when none is
// known), below HKEY_CURRENT_USER that entry or a settings key.
std::variant<std::string, Refusal> CheckProtocolKey(std::string_view keyPath, KeyRoot root,
                                                    std::string_view productEntry);

}  // namespace pelmora::contract
