// Reading the setup description file through the Windows API.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>

namespace pelmora::setupdesc {

// An open or read failure; the text is what the error report shows.
struct FileReadError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The bytes of the description file in setupDir, or nothing when the file
// does not exist. A file larger than the reader accepts is read only far
// enough for the reader to refuse it. A file that cannot be read throws
// FileReadError naming it.
std::optional<std::string> LoadDescriptionFile(const std::string& setupDir);

}  // namespace pelmora::setupdesc
