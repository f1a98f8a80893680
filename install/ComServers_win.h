// Self-registration of the COM servers the setup description lists.
#pragma once

#include <string>

#include "install/RegistrationSteps.h"
#include "setupdesc/SetupDescription.h"

namespace pelmora::install {

// Loads the library at path (its own folder searched first for what it
// imports), calls its DllRegisterServer and frees it again. True only when
// that export exists and returned 0 (S_OK); reports nothing itself.
bool RegisterComFile(const std::string& path);

// Registers targetDir + each OcxFiles entry in order. A success adds the
// protocol line "o" + path; a failure is "Failed to register " + path, and
// the next entry follows.
void RegisterComServers(const std::string& targetDir,
                        const setupdesc::SetupDescription& description, StepReport& report);

}  // namespace pelmora::install
