// What the fixed lines of a setup description must hold before anything is
// installed from it. The reader refuses a description that breaks them, and
// so does the authoring tool, which checks a description by reading it.
#pragma once

#include <string_view>

namespace pelmora::setupdesc {

// Line 4 is appended to the Uninstall key, and trailing backslashes are
// dropped before the registry sees the path; a name of nothing but
// backslashes and blanks would therefore name the Uninstall key itself, and
// a repair or uninstall would treat every product's entry as this one's.
bool NamesUninstallSubkey(std::string_view keyName);

// Line 5 must name its folder wherever the setup program runs: a drive path
// ("C:\Programme\Demo") or a UNC path ("\\server\share\Demo"). An empty or
// relative line would make the target depend on the current drive or folder,
// "\" alone being the root of the current drive.
bool IsAbsoluteDirectory(std::string_view path);

}  // namespace pelmora::setupdesc
