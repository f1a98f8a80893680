// The run's optional files ("registry.reg", the uninstaller) count only as
// files: a folder of that name is no reason to act.
#pragma once

#include <windows.h>

#include <string>

namespace pelmora::install {

inline bool IsExistingFile(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace pelmora::install
