#include "winrules/VersionText.h"

namespace pelmora::winrules {

std::string FormatFileVersion(std::uint32_t versionMS, std::uint32_t versionLS) {
  // Not through printf: its MinGW version would bring some 25 KB of
  // floating-point formatting into the setup program.
  return std::to_string(versionMS >> 16) + "." + std::to_string(versionMS & 0xFFFFu) + "." +
         std::to_string(versionLS >> 16) + "." + std::to_string(versionLS & 0xFFFFu);
}

}  // namespace pelmora::winrules
