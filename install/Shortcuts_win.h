// The Start-menu shortcuts of the installation run.
#pragma once

#include <string>
#include <vector>

#include "setupdesc/SetupDescription.h"

namespace pelmora::install {

// The current user's Programs folder of the Start menu, as the shell names
// it (without a trailing "\"); empty when the shell cannot tell.
std::string StartMenuProgramsFolder();

// One shortcut per shortcut entry, in programsFolder + "\" + group, saved as
// name + ".lnk": the description is the name, no arguments, the target
// directory (quoted) as working directory, the quoted target, and the icon
// file's index 0 when the entry names one. Then the protocol line "g" + the
// first entry's group (the bare name, "g" alone without entries) and the
// uninstall shortcut "Uninstall.lnk" in that group's folder, which starts
// windowsDir + "stUnInst.exe" with the quoted protocol file. targetDir and
// windowsDir end in "\". Nothing is reported: a folder or shortcut that
// cannot be made is left out, as is every file when programsFolder is empty.
void CreateShortcuts(const std::string& targetDir, const std::string& windowsDir,
                     const std::string& programsFolder,
                     const setupdesc::SetupDescription& description,
                     std::vector<std::string>& protocol);

}  // namespace pelmora::install
