// A path as text for messages. Never throws, unlike path::string() on
// Windows, which fails on characters outside the ANSI code page.
#pragma once

#include <filesystem>
#include <string>

namespace pelmora::acewriter {

inline std::string PathText(const std::filesystem::path& path) {
  const std::u8string utf8 = path.u8string();
  return std::string(utf8.begin(), utf8.end());
}

}  // namespace pelmora::acewriter
