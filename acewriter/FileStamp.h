// What an archive entry records about a file besides its bytes: the DOS
// date-time of its last change (local time) and its Windows attributes.
#pragma once

#include <cstdint>
#include <filesystem>

#include "unace/format/Flags.h"

namespace pelmora::acewriter {

namespace format = unace::format;

struct FileStamp {
  std::uint32_t dosTime = 0;
  std::uint32_t attributes = 0;
  // The same moment as seconds since 1970 (UTC), to compare files by age
  // whatever the time zone.
  std::int64_t unixTime = 0;
};

// Reads the stamp of an existing file or folder; throws std::runtime_error
// naming the path when it cannot. Folders always carry the directory
// attribute.
FileStamp ReadFileStamp(const std::filesystem::path& path);

// The current local time as a DOS date-time (for the MAIN header).
std::uint32_t CurrentDosDateTime();

// A moment in seconds since 1970 (UTC) as a local DOS date-time, as the
// stamps of files are recorded.
std::uint32_t LocalDosTime(std::int64_t unixTime);

}  // namespace pelmora::acewriter
