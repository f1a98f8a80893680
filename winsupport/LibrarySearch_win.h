// Where the program's libraries come from. A setup is often started from a
// Downloads folder, where a web page may have left a "version.dll" or the
// like; Windows looks for a library by its plain name in the program's
// folder (and, on older Windows, the working directory) before the system
// folder. So the entry narrows the search first, the program imports only
// libraries that Windows keeps in its list of known libraries (always taken
// from the system folder), and every other system library is loaded by its
// full path. Windows only.
#pragma once

#include <string>

#include "common/WinHandle.h"

namespace pelmora::winsupport {

// What HardenLibrarySearch could do on this Windows.
enum class LibrarySearch {
  kSystemFolderOnly,         // a plain name is looked for in the system folder only
  kWithoutWorkingDirectory,  // the working directory is left out of the search
  kUnchanged,                // this Windows (2000, XP before SP1) offers neither
};

// Called first thing by the entry, before any library is loaded by name.
// Where Windows offers it (Windows 8, or 7 and Vista with the update that
// brings it), plain names are searched for in the system folder only; else
// the working directory is dropped from the search. Both functions are
// looked up at run time, as Windows 2000 lacks them.
LibrarySearch HardenLibrarySearch() noexcept;

// The system folder + "\" + fileName; empty when Windows cannot tell.
std::string SystemLibraryPath(const char* fileName);

// Loads fileName from the system folder by its full path; not loaded when
// it is missing there (or the folder is unknown).
win::LoadedLibrary LoadSystemLibrary(const char* fileName) noexcept;

}  // namespace pelmora::winsupport
