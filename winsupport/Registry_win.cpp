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

// Registry links (keys that stand for another key, as Windows' own
// CurrentControlSet does) exist on the NT family only; whoever may write a
// key below a product's can put one there. Deletion therefore opens every
// key as itself and never through a link: a link met below a deleted key
// goes as the link alone, and a path that passes through one is not
// followed. NtDeleteKey is the one call that deletes a key through the
// handle that was checked; the 9x family has neither it nor links.
class KeyDeletion {
 public:
  KeyDeletion() {
    const HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
    deleteKey_ = win::LookUpExport<DeleteKeyFunction>(ntdll, "NtDeleteKey");
    toWinCode_ = win::LookUpExport<StatusFunction>(ntdll, "RtlNtStatusToDosError");
  }

  // The key `name` below parent, opened as itself with `access`.
  win::UniqueRegKey Open(HKEY parent, const std::string& name, REGSAM access, LONG* status) const {
    win::UniqueRegKey key;
    *status = ::RegOpenKeyExA(parent, name.c_str(), deleteKey_ ? REG_OPTION_OPEN_LINK : 0, access,
                              key.Receive());
    return key;
  }

  // The last key of root\path, every key on the way opened as itself; a
  // link on the way ends the walk with kThroughRegistryLink.
  win::UniqueRegKey OpenPath(HKEY root, const std::string& path, REGSAM access,
                             LONG* status) const {
    win::UniqueRegKey parent;
    for (std::size_t start = 0;;) {
      const std::size_t end = path.find('\\', start);
      const std::string name = path.substr(start, end == std::string::npos ? end : end - start);
      const bool last = end == std::string::npos;
      win::UniqueRegKey key =
          Open(parent ? parent.Get() : root, name,
               last ? access : KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS, status);
      if (!key) return {};
      if (last) return key;
      if (IsLink(key.Get())) {
        *status = kThroughRegistryLink;
        return {};
      }
      parent = std::move(key);
      start = end + 1;
    }
  }

  // Deletes the open key itself (a link as the link); parent and name for
  // the 9x family, which deletes by name.
  LONG Delete(HKEY key, HKEY parent, const std::string& name) const {
    if (!deleteKey_) return ::RegDeleteKeyA(parent, name.c_str());
    const LONG status = deleteKey_(key);
    if (status == 0) return ERROR_SUCCESS;
    return toWinCode_ ? static_cast<LONG>(toWinCode_(status)) : ERROR_ACCESS_DENIED;
  }

  // Deletes the open key with its subkeys, deepest first and within one
  // level from the last subkey to the first; Windows' code for the key
  // itself (a subkey that resists keeps it from going).
  LONG DeleteTree(HKEY key, HKEY parent, const std::string& name) const {
    if (!IsLink(key)) {
      const std::vector<std::string> subkeys = SubkeyNames(key);
      for (auto subkey = subkeys.rbegin(); subkey != subkeys.rend(); ++subkey) {
        LONG status = ERROR_SUCCESS;
        const win::UniqueRegKey child = Open(key, *subkey, kDeleteAccess, &status);
        if (child) DeleteTree(child.Get(), key, *subkey);
      }
    }
    return Delete(key, parent, name);
  }

  static bool IsLink(HKEY key) {
    DWORD type = REG_NONE;
    return ::RegQueryValueExA(key, "SymbolicLinkValue", nullptr, &type, nullptr, nullptr) ==
               ERROR_SUCCESS &&
           type == REG_LINK;
  }

  static constexpr REGSAM kDeleteAccess = KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE | DELETE;

 private:
  using DeleteKeyFunction = LONG(WINAPI*)(HANDLE);
  using StatusFunction = ULONG(WINAPI*)(LONG);
  DeleteKeyFunction deleteKey_ = nullptr;
  StatusFunction toWinCode_ = nullptr;
};

// The last name of a key path, for the 9x family's delete by name.
std::string LastName(const std::string& path) {
  const std::size_t cut = path.rfind('\\');
  return cut == std::string::npos ? path : path.substr(cut + 1);
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
  const std::string path = NormalizeRegistryKeyPath(keyPath);
  const KeyDeletion deletion;
  LONG status = ERROR_SUCCESS;
  const std::size_t cut = path.rfind('\\');
  // The parent is needed only where keys are deleted by name (9x).
  const win::UniqueRegKey parent = cut == std::string::npos
                                       ? win::UniqueRegKey()
                                       : OpenKey(root, path.substr(0, cut), KEY_ENUMERATE_SUB_KEYS);
  const win::UniqueRegKey key = deletion.OpenPath(root, path, KeyDeletion::kDeleteAccess, &status);
  if (key) status = deletion.DeleteTree(key.Get(), parent ? parent.Get() : root, LastName(path));
  return Unless(Subject::Key, keyPath, status);
}

std::optional<common::WinFailure> DeleteEmptyRegKey(HKEY root, const std::string& keyPath) {
  if (NamesRootKey(keyPath)) return common::Failed(Subject::Key, keyPath, ERROR_BAD_PATHNAME);
  const std::string path = NormalizeRegistryKeyPath(keyPath);
  const KeyDeletion deletion;
  LONG status = ERROR_SUCCESS;
  const win::UniqueRegKey key = deletion.OpenPath(root, path, KeyDeletion::kDeleteAccess, &status);
  if (!key) return Unless(Subject::Key, keyPath, status);
  DWORD subkeys = 0;
  DWORD values = 0;
  status = ::RegQueryInfoKeyA(key.Get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                              &values, nullptr, nullptr, nullptr, nullptr);
  // A link is nobody's empty key: it stands for another.
  if (status == ERROR_SUCCESS && (subkeys != 0 || values != 0 || KeyDeletion::IsLink(key.Get())))
    status = ERROR_DIR_NOT_EMPTY;
  if (status == ERROR_SUCCESS) {
    const std::size_t cut = path.rfind('\\');
    const win::UniqueRegKey parent =
        cut == std::string::npos ? win::UniqueRegKey()
                                 : OpenKey(root, path.substr(0, cut), KEY_ENUMERATE_SUB_KEYS);
    status = deletion.Delete(key.Get(), parent ? parent.Get() : root, LastName(path));
  }
  return Unless(Subject::Key, keyPath, status);
}

std::vector<std::string> RegSubkeyNames(HKEY root, const std::string& keyPath) {
  const win::UniqueRegKey key =
      OpenKey(root, NormalizeRegistryKeyPath(keyPath), KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE);
  if (!key) return {};
  return SubkeyNames(key.Get());
}

bool RegKeyExists(HKEY root, const std::string& keyPath) {
  return static_cast<bool>(OpenKey(root, NormalizeRegistryKeyPath(keyPath), KEY_QUERY_VALUE));
}

}  // namespace pelmora::winsupport
