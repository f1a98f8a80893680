// Self-registration of the COM servers the setup description lists.
#pragma once

#include <string>
#include <vector>

#include "common/WinFailure.h"
#include "contract/Seal.h"

#include "install/RegistrationSteps.h"
#include "setupdesc/SetupDescription.h"

namespace pelmora::install {

// Loads the library at path, calls its DllRegisterServer and frees it
// again. Its own folder is searched for what it imports only when
// folderTrusted (winsupport::CallServerEntry). The digest of the file
// registered, taken while the file was held open against writers from
// before the load to after the call; a failure naming the server unless
// the export exists and returned 0 (S_OK). Reports nothing itself.
common::WinResult<std::string> RegisterComFile(const std::string& path, bool folderTrusted);

// Registers targetDir + each OcxFiles entry in order; targetTrusted: the
// target passed the folder check, or the run has no more rights than the
// user who could write there. A success adds the
// protocol line "o" + path and the file's digest to registered, which the
// uninstaller checks before it loads the server; a failure is told to the
// report (its notice reads "Failed to register " + path), and the next
// entry follows. An entry the name rule refuses (contract::RelativePathProblem)
// is not loaded: a failure with ERROR_INVALID_NAME.
void RegisterComServers(const std::string& targetDir,
                        const setupdesc::SetupDescription& description, bool targetTrusted,
                        StepReport& report, std::vector<contract::ServerDigest>& registered);

}  // namespace pelmora::install
