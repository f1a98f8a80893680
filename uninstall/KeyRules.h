// Which registry keys of a protocol the uninstaller may delete with their
// subkeys: a key at least two levels below its root that no other software
// shares. A damaged or altered protocol must not take "Software" or the
// Uninstall key of every product with it.
#pragma once

#include <string>
#include <string_view>
#include <variant>

#include "uninstall/Reasons.h"

namespace pelmora::uninstall {

enum class KeyRoot { LocalMachine, CurrentUser };

// "HKEY_LOCAL_MACHINE" or "HKEY_CURRENT_USER", for the summary.
std::string_view RootName(KeyRoot root);

// The key's path below its root as it may be deleted (no leading or
// trailing "\"; a "HKEY_..." prefix naming this root dropped), or why not.
std::variant<std::string, Reason> CheckKey(std::string_view keyPath, KeyRoot root);

}  // namespace pelmora::uninstall
