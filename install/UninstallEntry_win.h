// The product's entry in Windows' list of installed programs.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "install/RegistrationSteps.h"
#include "setupdesc/SetupDescription.h"

namespace pelmora::install {

// Which roots get the Uninstall key: HKEY_LOCAL_MACHINE where the run found
// the Windows key, HKEY_CURRENT_USER where it found the Windows NT key.
struct UninstallRoots {
  bool localMachine = false;
  bool currentUser = false;
};

// What the run knows once it has unpacked: the day (yyyymmdd) and the
// size of what the archive holds.
struct InstalledFacts {
  std::string installDate;
  std::uint64_t installedBytes = 0;
};

// Only when windowsDir (ending in "\") holds the uninstaller: writes the
// values and numbers of UninstallValues and UninstallNumbers into the
// Uninstall key of each chosen root, creating the key when missing (other values stay), and adds
// "r0" + key path for HKEY_LOCAL_MACHINE, then "r1" + key path for
// HKEY_CURRENT_USER. A key that cannot be created is a failure naming it, a
// value that cannot be written one naming the value. Returns the roots
// whose key it wrote, for the protocol's seal.
std::vector<HKEY> WriteUninstallEntries(const std::string& targetDir, const std::string& windowsDir,
                                        UninstallRoots roots,
                                        const setupdesc::SetupDescription& description,
                                        const InstalledFacts& facts, StepReport& report);

}  // namespace pelmora::install
