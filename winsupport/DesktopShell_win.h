// Starting a program as the user of the desktop rather than as this
// process. A setup that Windows elevated runs with administrator rights the
// user's own programs do not have; a program it started itself would
// inherit them. The desktop's shell runs with the user's own rights, so
// the setup asks it to start the program instead. Windows only.
#pragma once

#include <optional>
#include <string>

#include "common/WinFailure.h"

namespace pelmora::winsupport {

// Whether Windows elevated this process above the rights its user's
// desktop runs with (UAC). Windows without UAC (2000, XP) knows no such
// difference: false there, and false when the token cannot be read.
bool RunsElevated();

// Asks the desktop's shell to open `program` with `folder` as its working
// directory, through the shell's own automation objects (the desktop's
// window among the shell windows, its view, the shell application's
// ShellExecute), so that it runs in the shell's process with the shell's
// rights. Nothing when the shell took the request; else a failure naming
// the program with the COM code of the step that failed (E_FAIL where the
// shell answered that it has no desktop window; E_NOINTERFACE where it
// offers no ShellExecute, as before Windows XP's shell).
std::optional<common::WinFailure> StartAsDesktopUser(const std::string& program,
                                                     const std::string& folder);

}  // namespace pelmora::winsupport
