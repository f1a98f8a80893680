// The shell's folder dialog, modal for the whole wizard, with a folder
// preselected; and the folders made so that it can preselect one.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace pelmora::pages {

// Shows the dialog with `title` above the tree and `preselect` selected
// (when it is an existing folder). The chosen folder (no trailing "\"
// except for a drive root); nothing when the user cancelled or the shell
// could not help.
std::optional<std::string> BrowseForDirectory(HWND owner, const std::string& title,
                                              const std::string& preselect);

// Creates `path` with every missing parent, so that the dialog can
// preselect it, and returns the folders this call created, outermost first.
// Failures are left for the caller to notice (the folder then does not
// exist).
std::vector<std::string> CreateFolderToPreselect(const std::string& path);

}  // namespace pelmora::pages
