// Paths as Windows resolves them, for the target rule: text alone cannot
// tell that "C:\PROGRA~1" is "C:\Program Files", or that two spellings lead
// to the same folder. Windows only.
#pragma once

#include <optional>
#include <string>

#include "contract/PathRules.h"

namespace pelmora::winsupport {

// The path with every short name ("PROGRA~1") in its longest existing head
// replaced by the long name; the part below that head, which does not exist
// yet, stays as written. A path without "~" is returned as it is, and so is
// one Windows cannot resolve. Keeps a trailing "\".
std::string LongPathOf(const std::string& path);

// Whether both paths name one existing folder (the same volume serial number
// and file index); false when either cannot be opened.
bool SameFolder(const std::string& a, const std::string& b);

// The Windows folder and the folders of all users of the running Windows.
contract::SystemFolders RunningSystemFolders();

// The target rule (contract::CheckTargetFolder) on the path as written, on
// its long form, and by identity: the target or an existing folder holding
// it that is the Windows folder is InsideWindows; a target that is one of
// the system folders or one of the folders holding them is SystemFolder.
std::optional<contract::Refusal> CheckResolvedTarget(const std::string& target,
                                                     const contract::SystemFolders& system);

}  // namespace pelmora::winsupport
