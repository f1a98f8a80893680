#include "install/UninstallEntry_win.h"

#include <windows.h>

#include "common/WinHandle.h"
#include "install/ExistingFile_win.h"
#include "install/RunErrors.h"
#include "install/UninstallValues.h"

namespace pelmora::install {
namespace {

void WriteKey(HKEY root, const std::string& keyPath, const std::vector<NamedValue>& values) {
  win::UniqueRegKey key;
  if (::RegCreateKeyExA(root, keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                        nullptr, key.Receive(), nullptr) != ERROR_SUCCESS)
    throw KeyCreationFailed(keyPath);
  for (const NamedValue& value : values) {
    if (::RegSetValueExA(key.Get(), value.name.c_str(), 0, REG_SZ,
                         reinterpret_cast<const BYTE*>(value.data.c_str()),
                         static_cast<DWORD>(value.data.size() + 1)) != ERROR_SUCCESS)
      throw ValueWriteFailed(value.name);
  }
}

}  // namespace

void WriteUninstallEntries(const std::string& targetDir, const std::string& windowsDir,
                           UninstallRoots roots, const setupdesc::SetupDescription& description,
                           std::vector<std::string>& protocol) {
  // Without the uninstaller an entry would offer a removal that cannot start.
  if (!IsExistingFile(windowsDir + kUninstallerFileName)) return;
  const std::string keyPath = UninstallKeyPath(description);
  const std::vector<NamedValue> values = UninstallValues(targetDir, windowsDir, description);
  if (roots.localMachine) {
    WriteKey(HKEY_LOCAL_MACHINE, keyPath, values);
    protocol.push_back("r0" + keyPath);
  }
  if (roots.currentUser) {
    WriteKey(HKEY_CURRENT_USER, keyPath, values);
    protocol.push_back("r1" + keyPath);
  }
}

}  // namespace pelmora::install
