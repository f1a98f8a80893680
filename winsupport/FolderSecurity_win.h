// The folders an elevated program installs into, as Windows protects them:
// whether other accounts could change a target or a folder above it (the
// facts read here, judged by winrules/FolderAccess.h), and the access list
// every folder an elevated setup makes is given.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "contract/Refusal.h"

namespace pelmora::winsupport {

// The account the process runs as, "S-1-..."; empty when its token cannot
// be read.
std::string CurrentUserSid();

// Whether an account other than this process's, Administrators, SYSTEM or
// TrustedInstaller could swap, rename, re-permission or write into target
// ("C:\\...", with or without the last "\\", "/" taken for "\\") or swap, rename or
// re-permission a folder above it up to the drive root. Each existing
// folder is opened as itself (never through a link) and its attributes,
// owner and access list are read from that handle; a target not made yet
// is judged by the folders above it. Nothing when none could; else the
// first folder from the root that fails and why (winrules/FolderAccess.h).
// A folder that cannot be read fails, as a link does.
std::optional<contract::Refusal> CheckFolderChain(const std::string& target);

// What CreateDirectory is given for every folder an elevated setup makes:
// SYSTEM and Administrators full control, Users read and run, nothing
// inherited from above, passed on to everything made inside. The
// installing account gets no entry of its own: it is an administrator
// here, and the same account running without elevation (a program it
// starts, any program it runs) must not be able to change what an
// elevated program installed. Built once; nullptr when Windows cannot
// build it, and the folder then inherits what its parent passes on (the
// folder check then judges that).
SECURITY_ATTRIBUTES* ProtectedFolderAttributes();

}  // namespace pelmora::winsupport
