// Registry keys and string values as the setup and the uninstaller use
// them. Every call takes the root first, then the key's path below it, and
// opens and closes its own key handle. Key paths may start (or end) with
// backslashes; they are dropped before the path reaches Windows. What
// changes the registry answers a failure with the key (as given) or the
// value it names and Windows' code (common/WinFailure.h); what only looks
// answers neutrally (nothing, empty, false), as its callers treat a key that
// is missing and one that cannot be read alike.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "common/WinFailure.h"
#include "common/WinHandle.h"

namespace pelmora::winsupport {

// The string value valueName of root\keyPath, read without creating the
// key; nothing when the key or value is missing, cannot be read or is no
// string (REG_SZ, REG_EXPAND_SZ; the latter is not expanded).
std::optional<std::string> ReadRegString(HKEY root, const std::string& keyPath,
                                         const std::string& valueName);

// Sets the string value valueName of the existing key root\keyPath
// (REG_SZ); other values stay. A failure naming the value when the key
// cannot be opened for it or the value cannot be written.
std::optional<common::WinFailure> WriteRegString(HKEY root, const std::string& keyPath,
                                                 const std::string& valueName,
                                                 const std::string& text);

// root\keyPath, existing, opened for setting its values, or a failure naming
// the key. With SetRegString, for work that must not fail between values:
// every path is opened before the first value changes.
common::WinResult<win::UniqueRegKey> OpenRegKeyForValues(HKEY root, const std::string& keyPath);

// Sets the string value valueName of an open key (REG_SZ); a failure naming
// the value. Asks for memory only to tell a failure.
std::optional<common::WinFailure> SetRegString(HKEY key, const char* valueName,
                                               const std::string& text);

// Sets the number value valueName of the existing key root\keyPath
// (REG_DWORD); other values stay. Fails as WriteRegString.
std::optional<common::WinFailure> WriteRegDword(HKEY root, const std::string& keyPath,
                                                const std::string& valueName, DWORD number);

// Creates root\keyPath and any missing parents; an existing key is left as
// it is. A failure naming the key when it cannot be created, and
// ERROR_BAD_PATHNAME when the path names the root.
std::optional<common::WinFailure> CreateRegKey(HKEY root, const std::string& keyPath);

// Windows' code for a request that would have to cross a link
// (ERROR_REPARSE_POINT_ENCOUNTERED), which the deletions answer for a path
// that passes through a registry link.
inline constexpr DWORD kThroughRegistryLink = 4395;

// Deletes root\keyPath with all its subkeys, deepest first and within one
// level from the last subkey to the first. Registry links are never
// followed: a link in the tree (or the key itself, when it is one) is
// deleted as the link, what it stands for stays; a path that passes through
// a link is refused with kThroughRegistryLink and nothing is deleted.
// Nothing only when the key itself is gone; else a failure naming the key
// with Windows' code for the key itself (a subkey that resists keeps it from
// going). A path that names the root itself (empty or backslashes only) is
// refused with ERROR_BAD_PATHNAME, and nothing is deleted.
std::optional<common::WinFailure> DeleteRegKey(HKEY root, const std::string& keyPath);

// Deletes root\keyPath only when it holds neither subkeys nor values and is
// no link (else ERROR_DIR_NOT_EMPTY), by a plain delete of that key alone:
// a subkey written in between makes Windows refuse it. The path is opened
// as DeleteRegKey opens it. A failure naming the key otherwise.
std::optional<common::WinFailure> DeleteEmptyRegKey(HKEY root, const std::string& keyPath);

// The names of root\keyPath's direct subkeys; empty when it has none or
// cannot be opened.
std::vector<std::string> RegSubkeyNames(HKEY root, const std::string& keyPath);

// Whether root\keyPath exists and can be opened for reading.
bool RegKeyExists(HKEY root, const std::string& keyPath);

}  // namespace pelmora::winsupport
