#include "install/UninstallEntry_win.h"

#include <windows.h>

#include "contract/ProductFiles.h"
#include "contract/UninstallEntry.h"
#include "install/UninstallValues.h"
#include "winsupport/Files_win.h"
#include "winsupport/Registry_win.h"

namespace pelmora::install {
namespace {

// Creates the key and writes the values into it. True when the key exists
// (and so belongs in the protocol), whatever became of its values; false as
// well when a failure has ended the step.
bool WriteKey(HKEY root, const std::string& keyPath, const std::vector<NamedValue>& values,
              const std::vector<NamedNumber>& numbers, StepReport& report) {
  if (auto failure = winsupport::CreateRegKey(root, keyPath)) {
    report.Fail(*failure);
    return false;
  }
  for (const NamedValue& value : values)
    if (auto failure = winsupport::WriteRegString(root, keyPath, value.name, value.data))
      if (!report.Fail(*failure)) return false;
  for (const NamedNumber& number : numbers)
    if (auto failure = winsupport::WriteRegDword(root, keyPath, number.name, number.value))
      if (!report.Fail(*failure)) return false;
  return true;
}

}  // namespace

std::vector<HKEY> WriteUninstallEntries(const std::string& targetDir, const std::string& windowsDir,
                                        UninstallRoots roots,
                                        const setupdesc::SetupDescription& description,
                                        const InstalledFacts& facts, StepReport& report) {
  std::vector<HKEY> written;
  // Without the uninstaller an entry would offer a removal that cannot start.
  if (!winsupport::IsExistingFile(windowsDir + contract::kUninstallerFileName)) return written;
  const std::string keyPath = contract::UninstallKeyPath(description.UninstallKeyName);
  const std::vector<NamedValue> values =
      UninstallValues(targetDir, windowsDir, description, facts.installDate);
  const std::vector<NamedNumber> numbers = UninstallNumbers(facts.installedBytes);
  if (roots.localMachine && WriteKey(HKEY_LOCAL_MACHINE, keyPath, values, numbers, report)) {
    report.Protocol().AddMachineKey(keyPath);
    written.push_back(HKEY_LOCAL_MACHINE);
  }
  if (report.Failure()) return written;
  if (roots.currentUser && WriteKey(HKEY_CURRENT_USER, keyPath, values, numbers, report)) {
    report.Protocol().AddUserKey(keyPath);
    written.push_back(HKEY_CURRENT_USER);
  }
  return written;
}

}  // namespace pelmora::install
