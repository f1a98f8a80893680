// The running program's own file: where the setup files stand and where the
// extraction library is written. The one place that asks Windows for it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace pelmora::win {

// Full path of the running program; empty when Windows cannot tell.
inline std::string OwnProgramPath() {
  std::vector<char> buffer(MAX_PATH);
  for (;;) {
    const DWORD length =
        ::GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) return std::string(buffer.data(), length);
    buffer.resize(buffer.size() * 2);  // truncated: long paths exist
  }
}

// The program's folder with its trailing separator; empty when the path is
// unknown.
inline std::string OwnProgramFolder() {
  const std::string path = OwnProgramPath();
  const auto separator = path.find_last_of("\\/");
  return separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
}

}  // namespace pelmora::win
