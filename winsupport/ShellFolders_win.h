// The shell's special folders (the Start menu's Programs folder, the
// profile, the program files, ...). Windows only.
#pragma once

#include <string>

namespace pelmora::winsupport {

// The path of the special folder `csidl` (a CSIDL_* value) as the shell
// names it, without a trailing "\"; empty when this shell does not know it.
std::string ShellFolderPath(int csidl);

// The current user's Programs folder of the Start menu, where the setup
// puts a product's shortcuts and the uninstaller looks for them.
std::string StartMenuProgramsFolder();

}  // namespace pelmora::winsupport
