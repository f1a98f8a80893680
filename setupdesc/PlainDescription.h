// Converts between install.pmd and its readable plain form, one plain line
// per file line. Used by the authoring tool, so that packagers on any system
// can write and inspect setup descriptions.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace pelmora::setupdesc {

struct DescriptionFormatError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Plain text (CR LF or LF line ends, Windows-1252) to install.pmd bytes with
// CR LF line ends. Throws DescriptionFormatError when the reader would not
// accept the result or a line cannot be stored.
std::string EncodeDescription(std::string_view plain);

// install.pmd bytes to plain text with CR LF line ends: exactly the lines
// the reader sees. Throws DescriptionFormatError for a damaged file.
std::string DecodeDescription(std::string_view pmd);

}  // namespace pelmora::setupdesc
