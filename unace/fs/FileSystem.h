// What extraction needs of the file system, with one implementation per
// platform (FileSystem_win.cpp, FileSystem_posix.cpp). Paths are the
// caller's 8-bit strings (ANSI code page on Windows); on POSIX systems a '\'
// in them is taken as a separator, since entry names are stored with '\'.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>

namespace pelmora::unace::fs {

// Why the file system refused an operation.
struct FsFailure {
  enum class Kind {
    Exists,  // something at the target path cannot be replaced
    Failed,  // anything else (no permission, disk full, bad path, ...)
  };
  Kind kind = Kind::Failed;
  std::string text;  // names the path and the system's error
};

// A file being written under a temporary name beside its target. It appears
// under the target name only through commit(); destroying an uncommitted
// sink removes the temporary file.
class FileSink {
 public:
  virtual ~FileSink() = default;
  // False when the data could not be written; Error() then says why.
  virtual bool Write(const std::uint8_t* data, std::size_t size) = 0;
  // Stamps the file with the DOS time (local time; an invalid stamp is left
  // out), moves it onto the target, replacing a file there, and applies the
  // DOS attributes the platform understands. Nothing when all that worked.
  virtual std::optional<FsFailure> Commit(std::uint32_t dosTime, std::uint32_t dosAttributes) = 0;
  // What the last failing Write ran into.
  virtual const std::string& Error() const = 0;
};

// Creates the missing folders above `targetPath` and a temporary file beside
// it (never null), or says why it could not.
std::variant<std::unique_ptr<FileSink>, FsFailure> CreateFileSink(const std::string& targetPath);

// Creates the folder `path` and the missing folders above it; nothing when
// that worked. An existing folder is fine; an existing file there is a
// failure of kind Exists.
std::optional<FsFailure> MakeDirectory(const std::string& path, std::uint32_t dosAttributes);

}  // namespace pelmora::unace::fs
