// Reading the setup description file through the Windows API.
#pragma once

#include <optional>
#include <string>

#include "common/WinFailure.h"

namespace pelmora::setupdesc {

// The bytes of the description file in setupDir, or nothing when the file
// does not exist. A file larger than the reader accepts is read only far
// enough for the reader to refuse it. A file that cannot be read is a
// failure naming it.
common::WinResult<std::optional<std::string>> LoadDescriptionFile(const std::string& setupDir);

// The error report's words for a description file that cannot be read:
// "E/A-Fehler <code> (<path>)".
std::string DescriptionReadFailureText(const common::WinFailure& failure);

}  // namespace pelmora::setupdesc
