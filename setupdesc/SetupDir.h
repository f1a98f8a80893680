// Where the setup files stand: the folder of the setup program itself.
#pragma once

#include <string>

namespace pelmora::setupdesc {

// The program's folder with its trailing separator. Taking everything up to
// the last separator (rather than cutting the fixed length of the program's
// name) keeps
// a renamed copy, e.g. "Install (1).exe" from a download, working.
inline std::string SetupDirFromProgramPath(const std::string& programPath) {
  const auto slash = programPath.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : programPath.substr(0, slash + 1);
}

}  // namespace pelmora::setupdesc
