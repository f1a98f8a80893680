// Byte layout of the two header kinds this writer produces: the MAIN header
// that opens every volume and the FILE32 header in front of each member
// (or member piece).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace acewriter {

// MAIN header flags.
inline constexpr std::uint16_t kMainMultiVolume = 0x0800;
inline constexpr std::uint16_t kMainSolid = 0x8000;

// FILE header flags.
inline constexpr std::uint16_t kFileAddSize = 0x0001;
inline constexpr std::uint16_t kFileContinuedFromPrevious = 0x1000;
inline constexpr std::uint16_t kFileContinuesInNext = 0x2000;
inline constexpr std::uint16_t kFilePassword = 0x4000;
inline constexpr std::uint16_t kFileSolid = 0x8000;

// COMP_TYPE values.
inline constexpr std::uint8_t kCompStored = 0;
inline constexpr std::uint8_t kCompLz77 = 1;
inline constexpr std::uint8_t kCompBlocked = 2;

inline constexpr std::uint8_t kHostWin32 = 2;

struct MainHeader {
  std::uint16_t flags = 0;
  std::uint8_t versionToExtract = 10;  // x10: 10 = ACE 1.0, 20 = ACE 2.0
  std::uint8_t versionCreated = 20;
  std::uint8_t host = kHostWin32;
  std::uint8_t volumeNumber = 0;
  std::uint32_t creationTime = 0;  // DOS date-time
};

struct FileHeader {
  std::uint16_t flags = kFileAddSize;
  std::uint32_t packedSize = 0;  // bytes of data following this header
  std::uint32_t originalSize = 0;
  std::uint32_t dosTime = 0;
  std::uint32_t attributes = 0;
  std::uint32_t crc32 = 0xFFFFFFFFu;
  std::uint8_t compressionType = kCompStored;
  std::uint8_t quality = 0;
  std::uint16_t params = 0;
  std::string name;  // Windows-1252, '\' separated
};

// Longest member name the header can carry (HEAD_SIZE is 16 bits).
inline constexpr std::size_t kMaxHeaderNameLength = 0xFFFF - 35;

std::vector<std::uint8_t> SerializeMainHeader(const MainHeader& header);

// Throws std::length_error when the name does not fit a header.
std::vector<std::uint8_t> SerializeFileHeader(const FileHeader& header);

// Size on disk of the FILE header for a name of this length.
std::size_t FileHeaderSize(std::size_t nameLength);

}  // namespace acewriter
