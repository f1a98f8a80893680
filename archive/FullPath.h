// Whether a path names one place whatever the current directory and drive
// are. A library is loaded only by such a path: a relative one would be
// looked up in the working directory (and, on Windows, along the search
// path), where anyone may have put a file of that name. One rule per
// platform (FullPath_win.cpp, FullPath_posix.cpp).
#pragma once

#include <string_view>

namespace pelmora::archive {

bool IsFullPath(std::string_view path);

}  // namespace pelmora::archive
