// Self-registration of the COM servers the setup description lists.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "setupdesc/SetupDescription.h"

namespace pelmora::install {

// Loads the library at path (its own folder searched first for what it
// imports), calls its DllRegisterServer and frees it again. True only when
// that export exists and returned 0 (S_OK); reports nothing itself.
bool RegisterComFile(const std::string& path);

// Registers targetDir + each OcxFiles entry in order. A success adds the
// protocol line "o" + path; a failure calls notify with
// "Failed to register " + path (the run shows it as a plain message and
// waits for the user), and the next entry follows.
void RegisterComServers(const std::string& targetDir,
                        const setupdesc::SetupDescription& description,
                        std::vector<std::string>& protocol,
                        const std::function<void(const std::string& message)>& notify);

}  // namespace pelmora::install
