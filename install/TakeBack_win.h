// Taking back what a run made when it can write no protocol (see
// install/TakeBack.h for what goes and what stays): what existed is looked
// at before the run makes it, and the removal is the uninstaller's, which
// never deletes through a link. Windows only.
#pragma once

#include <string>
#include <vector>

#include "contract/Protocol.h"
#include "contract/Seal.h"
#include "install/TakeBack.h"
#include "setupdesc/SetupDescription.h"
#include "uninstall/Outcome.h"

namespace pelmora::install {

// Notes, before the registration, which of the keys and the group it may
// make exist already: the description's keys below HKEY_CURRENT_USER, the
// product's Uninstall entry (uninstallKeyPath) below both roots, and the
// first shortcut group in programsFolder (no "\" at its end).
void NoteBeforeRegistration(const setupdesc::SetupDescription& description,
                            const std::string& uninstallKeyPath, const std::string& programsFolder,
                            FoundBeforeRun& before);

// Removes what the run recorded in protocol and created (targetDir ends in
// "\"): COM servers it registered (registered: their digests) are
// unregistered, its files, keys, group and folders removed. productEntry is
// the Uninstall entry's key path. What stays is in the outcome.
uninstall::Outcome TakeBack(const std::string& targetDir, const contract::Protocol& protocol,
                            const FoundBeforeRun& before,
                            const std::vector<contract::ServerDigest>& registered,
                            const std::string& productEntry, const std::string& programsFolder);

}  // namespace pelmora::install
