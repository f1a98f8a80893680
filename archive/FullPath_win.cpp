#include "archive/FullPath.h"

namespace pelmora::archive {

// "C:\..." (or "C:/..."), or a UNC path "\\server\share\..." (which includes
// "\\?\..."). "\dir" and "C:dir" depend on the current drive or directory.
bool IsFullPath(std::string_view path) {
  const auto isSeparator = [](char c) { return c == '\\' || c == '/'; };
  if (path.size() >= 3 && path[1] == ':' && isSeparator(path[2])) {
    const char drive = path[0];
    return (drive >= 'A' && drive <= 'Z') || (drive >= 'a' && drive <= 'z');
  }
  return path.size() >= 3 && isSeparator(path[0]) && isSeparator(path[1]) && !isSeparator(path[2]);
}

}  // namespace pelmora::archive
