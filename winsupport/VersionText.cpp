#include "winsupport/VersionText.h"

#include <cstdio>

namespace pelmora::winsupport {

std::string FormatFileVersion(std::uint32_t versionMS, std::uint32_t versionLS) {
  char text[32];
  std::snprintf(text, sizeof text, "%d.%d.%d.%d", static_cast<int>(versionMS >> 16),
                static_cast<int>(versionMS & 0xFFFFu), static_cast<int>(versionLS >> 16),
                static_cast<int>(versionLS & 0xFFFFu));
  return text;
}

}  // namespace pelmora::winsupport
