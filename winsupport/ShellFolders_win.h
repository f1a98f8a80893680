// The shell's special folders (the Start menu's Programs folder, the
// profile, the program files, ...). Windows only.
#pragma once

#include <string>
#include <vector>

namespace pelmora::winsupport {

// The path of the special folder `csidl` (a CSIDL_* value) as the shell
// names it, without a trailing "\"; empty when this shell does not know it.
std::string ShellFolderPath(int csidl);

// The current user's Programs folder of the Start menu, where the setup
// puts a product's shortcuts and the uninstaller looks for them.
std::string StartMenuProgramsFolder();

// The Windows folder, without a trailing "\"; empty when Windows cannot tell.
std::string WindowsFolder();

// The folders besides the Windows folder that no product owns: the program
// files (both views on 64-bit Windows), the current and all users' profile,
// documents, application data, desktop and Start menu folders. Those this
// Windows does not know are left out.
std::vector<std::string> FoldersOfAllUsers();

}  // namespace pelmora::winsupport
