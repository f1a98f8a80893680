// The registry steps of the installation run: the product's settings file
// and the registry keys the setup description lists, all below
// HKEY_CURRENT_USER.
#pragma once

#include <string>
#include <vector>

#include "install/RegistrationSteps.h"
#include "setupdesc/SetupDescription.h"

namespace pelmora::install {

// When this run unpacked the settings file (contract::kRegistrySettingsFileName)
// into targetDir: imports it silently with the registry editor of the
// product's view of the registry (the 32-bit one for a 32-bit setup on
// 64-bit Windows) from the Windows directory (windowsDir ends in "\"),
// waits for the import and deletes the file. A file of that name the run
// did not unpack is someone else's and is neither imported nor deleted. An
// editor that cannot be started and a file that cannot be deleted are the
// step's failures. The file is imported only when targetTrusted (the target
// passed the folder check, or the run has no more rights than the user who
// could write there; else ERROR_ACCESS_DENIED naming it, and it is left as
// it is), never through a link (ERROR_CANT_ACCESS_FILE), and is held
// against writers until the editor has ended. The keys it imports are not
// recorded in the protocol.
void ImportRegistryFile(const std::string& targetDir, const std::string& windowsDir,
                        bool unpackedThisRun, bool targetTrusted, StepReport& report);

// Complete repair, before unpacking: deletes each listed key with all its
// subkeys. Lines that are blank or control characters only are skipped, and
// so is the vendor's own key (contract::IsVendorKey), which the vendor's
// other products share; keys that are missing or resist are passed over,
// silently. Keys the key rule refuses (contract::CheckSettingsKey) are kept
// and returned.
std::vector<std::string> DeleteRegistryKeys(const setupdesc::SetupDescription& description);

// Creates each non-empty listed key (with missing parents; existing keys
// keep their content) and adds its "r1" line to the protocol; a key the key
// rule refuses (contract::CheckSettingsKey) is passed over, neither made nor
// recorded. A key that cannot be created is a failure naming it; it gets no
// line.
void CreateRegistryKeys(const setupdesc::SetupDescription& description, StepReport& report);

}  // namespace pelmora::install
