// The Start-menu shortcuts of the installation run.
#pragma once

#include <string>

#include "install/RegistrationSteps.h"
#include "setupdesc/SetupDescription.h"

namespace pelmora::install {

// One shortcut per shortcut entry, in programsFolder + "\" + group, saved as
// name + ".lnk": the description is the name, no arguments, the target
// directory (quoted) as working directory, the quoted target, and the icon
// file's index 0 when the entry names one. Then the protocol line "g" + the
// first entry's group (the bare name, "g" alone without entries) and the
// uninstall shortcut "Uninstall.lnk" in that group's folder, which starts
// the uninstaller in windowsDir with the quoted protocol file (only when
// the uninstaller is there, as for the Uninstall entry). targetDir and
// windowsDir end in "\". A shortcut that cannot be saved is a failure, and
// so is an empty programsFolder (the shell could not name it), which leaves
// out every file. A group or name the name rule refuses (contract::
// CheckGroupName, contract::NameProblem) is a failure with ERROR_INVALID_NAME
// naming group\name, and that shortcut is not made; a refused first group
// also gets no uninstall shortcut and no protocol line.
void CreateShortcuts(const std::string& targetDir, const std::string& windowsDir,
                     const std::string& programsFolder,
                     const setupdesc::SetupDescription& description, StepReport& report);

}  // namespace pelmora::install
