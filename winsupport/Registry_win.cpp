#include "winsupport/Registry_win.h"

#include <cstring>
#include <vector>

#include "common/WinHandle.h"
#include "contract/RegistryPath.h"

namespace pelmora::winsupport {
namespace {

using contract::NamesRootKey;
using contract::NormalizeRegistryKeyPath;

using Subject = common::WinFailure::Subject;

// Only the access each step needs: asking for full access would make reads
// below HKEY_LOCAL_MACHINE fail for users without administrator rights.
// Windows' code lands in `status` where the caller wants it.
win::UniqueRegKey OpenKey(HKEY parent, const std::string& path, REGSAM access,
                          LONG* status = nullptr) {
  win::UniqueRegKey key;
  const LONG opened = ::RegOpenKeyExA(parent, path.c_str(), 0, access, key.Receive());
  if (status != nullptr) *status = opened;
  if (opened != ERROR_SUCCESS) return {};
  return key;
}

// Nothing for ERROR_SUCCESS, else the failure naming `what`.
std::optional<common::WinFailure> Unless(Subject subject, const std::string& what, LONG status) {
  if (status == ERROR_SUCCESS) return std::nullopt;
  return common::Failed(subject, what, static_cast<std::uint32_t>(status));
}

// Sets one value of an open key; Windows' code.
LONG SetValue(HKEY key, const char* valueName, DWORD type, const void* data, DWORD size) {
  return ::RegSetValueExA(key, valueName, 0, type, static_cast<const BYTE*>(data), size);
}

// Sets one value of the existing key root\keyPath.
std::optional<common::WinFailure> WriteValue(HKEY root, const std::string& keyPath,
                                             const std::string& valueName, DWORD type,
                                             const void* data, DWORD size) {
  LONG status = ERROR_SUCCESS;
  const win::UniqueRegKey key =
      OpenKey(root, NormalizeRegistryKeyPath(keyPath), KEY_SET_VALUE, &status);
  if (key) status = SetValue(key.Get(), valueName.c_str(), type, data, size);
  return Unless(Subject::Value, valueName, status);
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

// Windows' code for the key itself.
LONG DeleteKeyTree(HKEY parent, const std::string& path) {
  {
    LONG status = ERROR_SUCCESS;
    const win::UniqueRegKey key =
        OpenKey(parent, path, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE, &status);
    if (!key) return status;
    const std::vector<std::string> subkeys = SubkeyNames(key.Get());
    // A subkey that resists is left; deleting this key then fails and says so.
    for (auto subkey = subkeys.rbegin(); subkey != subkeys.rend(); ++subkey)
      DeleteKeyTree(key.Get(), *subkey);
  }
  return ::RegDeleteKeyA(parent, path.c_str());
}

}  // namespace

std::optional<std::string> ReadRegString(HKEY root, const std::string& keyPath,
                                         const std::string& valueName) {
  const win::UniqueRegKey key = OpenKey(root, NormalizeRegistryKeyPath(keyPath), KEY_QUERY_VALUE);
  std::string text;
  if (!key || !QueryStringValue(key.Get(), valueName, text)) return std::nullopt;
  return text;
}

std::optional<common::WinFailure> WriteRegString(HKEY root, const std::string& keyPath,
                                                 const std::string& valueName,
                                                 const std::string& text) {
  return WriteValue(root, keyPath, valueName, REG_SZ, text.c_str(),
                    static_cast<DWORD>(text.size() + 1));
}

common::WinResult<win::UniqueRegKey> OpenRegKeyForValues(HKEY root, const std::string& keyPath) {
  LONG status = ERROR_SUCCESS;
  win::UniqueRegKey key = OpenKey(root, NormalizeRegistryKeyPath(keyPath), KEY_SET_VALUE, &status);
  if (!key) return common::FailedAs<win::UniqueRegKey>(Subject::Key, keyPath, status);
  return key;
}

std::optional<common::WinFailure> SetRegString(HKEY key, const char* valueName,
                                               const std::string& text) {
  return Unless(
      Subject::Value, valueName,
      SetValue(key, valueName, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1)));
}

std::optional<common::WinFailure> WriteRegDword(HKEY root, const std::string& keyPath,
                                                const std::string& valueName, DWORD number) {
  return WriteValue(root, keyPath, valueName, REG_DWORD, &number, sizeof number);
}

std::optional<common::WinFailure> CreateRegKey(HKEY root, const std::string& keyPath) {
  const std::string path = NormalizeRegistryKeyPath(keyPath);
  if (path.empty()) return common::Failed(Subject::Key, keyPath, ERROR_BAD_PATHNAME);
  win::UniqueRegKey key;
  return Unless(Subject::Key, keyPath,
                ::RegCreateKeyExA(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_QUERY_VALUE, nullptr, key.Receive(), nullptr));
}

std::optional<common::WinFailure> DeleteRegKey(HKEY root, const std::string& keyPath) {
  if (NamesRootKey(keyPath)) return common::Failed(Subject::Key, keyPath, ERROR_BAD_PATHNAME);
  return Unless(Subject::Key, keyPath, DeleteKeyTree(root, NormalizeRegistryKeyPath(keyPath)));
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
