#include "winsupport/Registry_win.h"

#include <cstring>
#include <vector>

#include "common/WinHandle.h"
#include "contract/RegistryPath.h"

namespace pelmora::winsupport {
namespace {

using contract::NamesRootKey;
using contract::NormalizeRegistryKeyPath;

// Only the access each step needs: asking for full access would make reads
// below HKEY_LOCAL_MACHINE fail for users without administrator rights.
win::UniqueRegKey OpenKey(HKEY parent, const std::string& path, REGSAM access) {
  win::UniqueRegKey key;
  if (::RegOpenKeyExA(parent, path.c_str(), 0, access, key.Receive()) != ERROR_SUCCESS) return {};
  return key;
}

bool IsStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

bool QueryStringValue(HKEY key, const std::string& valueName, std::string& text) {
  // The value may grow between asking for its size and reading it.
  for (int attempt = 0; attempt < 3; ++attempt) {
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExA(key, valueName.c_str(), nullptr, &type, nullptr, &size) !=
            ERROR_SUCCESS ||
        !IsStringType(type))
      return false;
    // One spare byte: stored strings need not end in a zero.
    std::vector<char> data(size + 1, '\0');
    DWORD read = size;
    const LONG status = ::RegQueryValueExA(key, valueName.c_str(), nullptr, &type,
                                           reinterpret_cast<BYTE*>(data.data()), &read);
    if (status == ERROR_MORE_DATA) continue;
    if (status != ERROR_SUCCESS || !IsStringType(type)) return false;
    text.assign(data.data(), strnlen(data.data(), read));
    return true;
  }
  return false;
}

std::vector<std::string> SubkeyNames(HKEY key) {
  DWORD longestName = 0;
  if (::RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, &longestName, nullptr, nullptr,
                         nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
    return {};
  std::vector<std::string> names;
  std::vector<char> name(longestName + 1);
  for (DWORD index = 0;; ++index) {
    DWORD length = static_cast<DWORD>(name.size());
    if (::RegEnumKeyExA(key, index, name.data(), &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS)
      break;
    names.emplace_back(name.data(), length);
  }
  return names;
}

bool DeleteKeyTree(HKEY parent, const std::string& path) {
  {
    const win::UniqueRegKey key = OpenKey(parent, path, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE);
    if (!key) return false;
    const std::vector<std::string> subkeys = SubkeyNames(key.Get());
    // A subkey that resists is left; deleting this key then fails and says so.
    for (auto subkey = subkeys.rbegin(); subkey != subkeys.rend(); ++subkey)
      DeleteKeyTree(key.Get(), *subkey);
  }
  return ::RegDeleteKeyA(parent, path.c_str()) == ERROR_SUCCESS;
}

}  // namespace

std::optional<std::string> ReadRegString(HKEY root, const std::string& keyPath,
                                         const std::string& valueName) {
  const win::UniqueRegKey key = OpenKey(root, NormalizeRegistryKeyPath(keyPath), KEY_QUERY_VALUE);
  std::string text;
  if (!key || !QueryStringValue(key.Get(), valueName, text)) return std::nullopt;
  return text;
}

bool WriteRegString(HKEY root, const std::string& keyPath, const std::string& valueName,
                    const std::string& text) {
  const win::UniqueRegKey key = OpenKey(root, NormalizeRegistryKeyPath(keyPath), KEY_SET_VALUE);
  return key && ::RegSetValueExA(key.Get(), valueName.c_str(), 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>(text.c_str()),
                                 static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
}

win::UniqueRegKey OpenRegKeyForValues(HKEY root, const std::string& keyPath) {
  return OpenKey(root, NormalizeRegistryKeyPath(keyPath), KEY_SET_VALUE);
}

DWORD SetRegString(HKEY key, const char* valueName, const std::string& text) noexcept {
  return static_cast<DWORD>(::RegSetValueExA(key, valueName, 0, REG_SZ,
                                             reinterpret_cast<const BYTE*>(text.c_str()),
                                             static_cast<DWORD>(text.size() + 1)));
}

bool WriteRegDword(HKEY root, const std::string& keyPath, const std::string& valueName,
                   DWORD number) {
  const win::UniqueRegKey key = OpenKey(root, NormalizeRegistryKeyPath(keyPath), KEY_SET_VALUE);
  return key &&
         ::RegSetValueExA(key.Get(), valueName.c_str(), 0, REG_DWORD,
                          reinterpret_cast<const BYTE*>(&number), sizeof number) == ERROR_SUCCESS;
}

bool CreateRegKey(HKEY root, const std::string& keyPath) {
  const std::string path = NormalizeRegistryKeyPath(keyPath);
  if (path.empty()) return false;
  win::UniqueRegKey key;
  return ::RegCreateKeyExA(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_QUERY_VALUE,
                           nullptr, key.Receive(), nullptr) == ERROR_SUCCESS;
}

bool DeleteRegKey(HKEY root, const std::string& keyPath) {
  if (NamesRootKey(keyPath)) return false;
  return DeleteKeyTree(root, NormalizeRegistryKeyPath(keyPath));
}

std::vector<std::string> RegSubkeyNames(HKEY root, const std::string& keyPath) {
  const win::UniqueRegKey key =
      OpenKey(root, NormalizeRegistryKeyPath(keyPath), KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE);
  if (!key) return {};
  return SubkeyNames(key.Get());
}

bool RegKeyIsEmpty(HKEY root, const std::string& keyPath) {
  const win::UniqueRegKey key = OpenKey(root, NormalizeRegistryKeyPath(keyPath), KEY_QUERY_VALUE);
  DWORD subkeys = 0;
  DWORD values = 0;
  return key &&
         ::RegQueryInfoKeyA(key.Get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                            &values, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
         subkeys == 0 && values == 0;
}

bool RegKeyExists(HKEY root, const std::string& keyPath) {
  return static_cast<bool>(OpenKey(root, NormalizeRegistryKeyPath(keyPath), KEY_QUERY_VALUE));
}

}  // namespace pelmora::winsupport
