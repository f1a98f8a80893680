// Whether a path names one place whatever the current directory and drive
// are. A library is loaded only by such a path: a relative one would be
// looked up in the working directory (and, on Windows, along the search
// path), where anyone may have put a file of that name.
#pragma once

#include <string_view>

namespace pelmora::archive {

#if defined(_WIN32)
// "C:\..." (or "C:/..."), or a UNC path "\\server\share\..." (which includes
// "\\?\..."). "\dir" and "C:dir" depend on the current drive or directory.
inline bool IsFullPath(std::string_view path) {
  const auto isSeparator = [](char c) { return c == '\\' || c == '/'; };
  if (path.size() >= 3 && path[1] == ':' && isSeparator(path[2])) {
    const char drive = path[0];
    return (drive >= 'A' && drive <= 'Z') || (drive >= 'a' && drive <= 'z');
  }
  return path.size() >= 3 && isSeparator(path[0]) && isSeparator(path[1]) && !isSeparator(path[2]);
}
#else
inline bool IsFullPath(std::string_view path) { return !path.empty() && path[0] == '/'; }
#endif

}  // namespace pelmora::archive
