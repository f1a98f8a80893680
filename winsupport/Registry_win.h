// Registry keys and string values as the setup program uses them. Each call
// opens and closes its own key handle. Key paths may start (or end) with
// backslashes; they are dropped before the path reaches Windows.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace pelmora::winsupport {

// Reads the string value valueName of root\keyPath into text, without
// creating the key. Returns false, with text empty, when the key or value is
// missing, cannot be read or is no string (REG_SZ, REG_EXPAND_SZ; the latter
// is not expanded).
bool ReadRegString(HKEY root, const std::string& keyPath, const std::string& valueName,
                   std::string& text);

// Creates root\keyPath and any missing parents; an existing key is left as
// it is. Returns false when it cannot be created or the path names the root.
bool CreateRegKey(const std::string& keyPath, HKEY root);

// Deletes root\keyPath with all its subkeys, deepest first and within one
// level from the last subkey to the first. Returns true only when the key
// itself is gone. A path that names the root itself (empty or backslashes
// only) is refused with false, and nothing is deleted.
bool DeleteRegKey(const std::string& keyPath, HKEY root);

// The names of root\keyPath's direct subkeys; empty when it has none or
// cannot be opened.
std::vector<std::string> RegSubkeyNames(HKEY root, const std::string& keyPath);

// Whether root\keyPath exists and holds neither subkeys nor values.
bool RegKeyIsEmpty(HKEY root, const std::string& keyPath);

// Whether root\keyPath exists and can be opened for reading.
bool RegKeyExists(HKEY root, const std::string& keyPath);

}  // namespace pelmora::winsupport
