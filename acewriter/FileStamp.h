// What an archive entry records about a file besides its bytes: the DOS
// date-time of its last change (local time) and its Windows attributes.
#pragma once

#include <cstdint>
#include <filesystem>

namespace acewriter {

inline constexpr std::uint32_t kAttrReadOnly = 0x01;
inline constexpr std::uint32_t kAttrHidden = 0x02;
inline constexpr std::uint32_t kAttrSystem = 0x04;
inline constexpr std::uint32_t kAttrDirectory = 0x10;
inline constexpr std::uint32_t kAttrArchive = 0x20;

struct FileStamp {
  std::uint32_t dosTime = 0;
  std::uint32_t attributes = 0;
};

// Reads the stamp of an existing file or folder; throws std::runtime_error
// naming the path when it cannot. Folders always carry kAttrDirectory.
FileStamp ReadFileStamp(const std::filesystem::path& path);

// The current local time as a DOS date-time (for the MAIN header).
std::uint32_t CurrentDosDateTime();

}  // namespace acewriter
