// Byte layout of the two header kinds this writer produces: the MAIN header
// that opens every volume and the FILE32 header in front of each member
// (or member piece).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "unace/format/Flags.h"

namespace pelmora::acewriter {

// The writer speaks the format's vocabulary: flags, attributes, methods.
namespace format = unace::format;

struct MainHeader {
  std::uint16_t flags = 0;
  std::uint8_t versionToExtract = format::kVersionAce10;
  std::uint8_t versionCreated = format::kVersionAce20;
  std::uint8_t host = format::kHostWin32;
  std::uint8_t volumeNumber = 0;
  std::uint32_t creationTime = 0;  // DOS date-time
};

struct FileHeader {
  std::uint16_t flags = format::flags::kAddSize;
  std::uint32_t packedSize = 0;  // bytes of data following this header
  std::uint32_t originalSize = 0;
  std::uint32_t dosTime = 0;
  std::uint32_t attributes = 0;
  std::uint32_t crc32 = 0xFFFFFFFFu;
  std::uint8_t compressionType = format::kStored;
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

}  // namespace pelmora::acewriter
