// Reading the setup description file through the Windows API.
#pragma once

#include <optional>
#include <string>
#include <variant>

namespace pelmora::setupdesc {

// An open or read failure; the text is what the error report shows.
struct FileReadError {
  std::string text;
};

// The bytes of the description file in setupDir, or nothing when the file
// does not exist. A file larger than the reader accepts is read only far
// enough for the reader to refuse it. A file that cannot be read is a
// FileReadError naming it.
std::variant<std::optional<std::string>, FileReadError> LoadDescriptionFile(
    const std::string& setupDir);

}  // namespace pelmora::setupdesc
