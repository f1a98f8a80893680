// The registry steps of the installation run: the product's settings file
// and the registry keys the setup description lists, all below
// HKEY_CURRENT_USER.
#pragma once

#include <string>
#include <vector>

#include "setupdesc/SetupDescription.h"

namespace pelmora::install {

// When targetDir + "registry.reg" exists: imports it silently with the
// registry editor of the Windows directory (windowsDir ends in "\"), waits
// for the import and deletes the file. Nothing is reported: a file that
// cannot be imported or deleted is passed over.
void ImportRegistryFile(const std::string& targetDir, const std::string& windowsDir);

// Complete repair, before unpacking: deletes each listed key with all its
// subkeys. Lines that are blank or control characters only are skipped;
// keys that are missing or resist are passed over.
void DeleteRegistryKeys(const setupdesc::SetupDescription& description);

// Creates each non-empty listed key (with missing parents; existing keys
// keep their content) and adds its "r1" line to the protocol. A key that
// cannot be created throws KeyCreationFailed: later keys are not created.
void CreateRegistryKeys(const setupdesc::SetupDescription& description,
                        std::vector<std::string>& protocol);

}  // namespace pelmora::install
