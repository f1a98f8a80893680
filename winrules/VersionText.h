// The text form of a fixed file version.
#pragma once

#include <cstdint>
#include <string>

namespace pelmora::winrules {

// "major.minor.release.build" from the two 32-bit halves of a fixed file
// version, most significant 16-bit part first.
std::string FormatFileVersion(std::uint32_t versionMS, std::uint32_t versionLS);

// What a file without a version resource reports.
inline constexpr char kNoFileVersion[] = "0";

}  // namespace pelmora::winrules
