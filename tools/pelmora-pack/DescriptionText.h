// The plain text of install.pmd for a checked manifest, in the order the
// setup program reads it.
#pragma once

#include <string>
#include <vector>

#include "tools/pelmora-pack/Manifest.h"

namespace pelmora::pack {

// Windows-1252 lines ending in CR LF. `setupVersion` is line 1: the file
// version of the Install.exe the medium carries. The shortcut and support
// sections are always written, so that the reader finds the support values.
std::string DescriptionText(const Manifest& manifest, const std::vector<std::string>& information,
                            const std::string& setupVersion);

// What the setup program never looks at: the line after the support values.
inline constexpr const char* kSupportClosingLine = "<endsupportinfos>";

}  // namespace pelmora::pack
