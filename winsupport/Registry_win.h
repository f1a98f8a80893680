// Registry keys and string values as the setup and the uninstaller use
// them. Every call takes the root first, then the key's path below it, and
// opens and closes its own key handle. Key paths may start (or end) with
// backslashes; they are dropped before the path reaches Windows. Failures
// give the neutral result (false, nothing, empty): the callers name the key
// or value themselves.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "common/WinHandle.h"

namespace pelmora::winsupport {

// The string value valueName of root\keyPath, read without creating the
// key; nothing when the key or value is missing, cannot be read or is no
// string (REG_SZ, REG_EXPAND_SZ; the latter is not expanded).
std::optional<std::string> ReadRegString(HKEY root, const std::string& keyPath,
                                         const std::string& valueName);

// Sets the string value valueName of the existing key root\keyPath
// (REG_SZ); other values stay. False when the key cannot be opened for it or
// the value cannot be written.
bool WriteRegString(HKEY root, const std::string& keyPath, const std::string& valueName,
                    const std::string& text);

// root\keyPath, existing, opened for setting its values; empty when it
// cannot be. With SetRegString, for work that must not fail between
// values: every path is opened before the first value changes.
win::UniqueRegKey OpenRegKeyForValues(HKEY root, const std::string& keyPath);

// Sets the string value valueName of an open key (REG_SZ). Windows' code,
// ERROR_SUCCESS when it is set. Asks for no memory.
DWORD SetRegString(HKEY key, const char* valueName, const std::string& text) noexcept;

// Sets the number value valueName of the existing key root\keyPath
// (REG_DWORD); other values stay. False as WriteRegString.
bool WriteRegDword(HKEY root, const std::string& keyPath, const std::string& valueName,
                   DWORD number);

// Creates root\keyPath and any missing parents; an existing key is left as
// it is. Returns false when it cannot be created or the path names the root.
bool CreateRegKey(HKEY root, const std::string& keyPath);

// Deletes root\keyPath with all its subkeys, deepest first and within one
// level from the last subkey to the first. Returns true only when the key
// itself is gone. A path that names the root itself (empty or backslashes
// only) is refused with false, and nothing is deleted.
bool DeleteRegKey(HKEY root, const std::string& keyPath);

// The names of root\keyPath's direct subkeys; empty when it has none or
// cannot be opened.
std::vector<std::string> RegSubkeyNames(HKEY root, const std::string& keyPath);

// Whether root\keyPath exists and holds neither subkeys nor values.
bool RegKeyIsEmpty(HKEY root, const std::string& keyPath);

// Whether root\keyPath exists and can be opened for reading.
bool RegKeyExists(HKEY root, const std::string& keyPath);

}  // namespace pelmora::winsupport
