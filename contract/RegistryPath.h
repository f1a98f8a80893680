// Key paths as the installer writes them, made fit for the registry API.
#pragma once

#include <string>
#include <string_view>

namespace pelmora::contract {

// The installer names keys with a leading backslash ("\SOFTWARE\...") and
// sometimes a trailing one; the registry API accepts neither, so both are
// dropped. Inner separators stay as they are.
std::string NormalizeRegistryKeyPath(std::string_view keyPath);

// A path that names the root key itself (empty, or nothing but backslashes).
// Deleting it would wipe the whole root, so deletion refuses such paths.
bool NamesRootKey(std::string_view keyPath);

}  // namespace pelmora::contract
