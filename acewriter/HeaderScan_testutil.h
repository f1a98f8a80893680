// Test helper: walks the blocks of one ACE volume independently of the
// writer, checking every header CRC on the way, and hands back the fields
// the tests look at.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "unace/format/Crc.h"
#include "TestFiles.h"

namespace pelmora::acewriter::testutil {

using pelmora::test::ReadBytes;

struct ScannedFile {
  std::uint16_t flags = 0;
  std::uint32_t packedSize = 0;
  std::uint32_t originalSize = 0;
  std::uint32_t dosTime = 0;
  std::uint32_t attributes = 0;
  std::uint32_t crc32 = 0;
  std::uint8_t compressionType = 0;
  std::uint16_t params = 0;
  std::string name;
  std::size_t headerSize = 0;  // HEAD_SIZE
  std::vector<std::uint8_t> data;
};

struct ScannedVolume {
  std::uint16_t mainFlags = 0;
  std::uint8_t versionToExtract = 0;
  std::uint8_t volumeNumber = 0;
  std::uint32_t creationTime = 0;
  std::vector<ScannedFile> files;
  std::size_t fileSize = 0;
};

inline std::uint32_t Le(const std::vector<std::uint8_t>& b, std::size_t at, int bytes) {
  std::uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | b.at(at + static_cast<std::size_t>(i));
  return v;
}

// Fails the calling test (and returns what it has) on any structural fault.
inline ScannedVolume ScanVolume(const std::filesystem::path& path) {
  const std::vector<std::uint8_t> b = ReadBytes(path);
  ScannedVolume volume;
  volume.fileSize = b.size();
  std::size_t pos = 0;
  bool first = true;
  while (pos < b.size()) {
    if (pos + 4 > b.size()) {
      ADD_FAILURE() << path << ": truncated header at " << pos;
      break;
    }
    const std::size_t size = Le(b, pos + 2, 2);
    if (pos + 4 + size > b.size()) {
      ADD_FAILURE() << path << ": header at " << pos << " runs past the end";
      break;
    }
    const std::span<const std::uint8_t> body(b.data() + pos + 4, size);
    EXPECT_EQ(Le(b, pos, 2), unace::format::HeaderCrc16(body)) << path << " header at " << pos;
    const std::uint8_t type = b[pos + 4];
    if (first) {
      EXPECT_EQ(type, 0) << path << ": first block is not MAIN";
      EXPECT_EQ(std::string(b.begin() + static_cast<long>(pos) + 7,
                            b.begin() + static_cast<long>(pos) + 14),
                "**ACE**");
      volume.mainFlags = static_cast<std::uint16_t>(Le(b, pos + 5, 2));
      volume.versionToExtract = b[pos + 14];
      volume.volumeNumber = b[pos + 17];
      volume.creationTime = Le(b, pos + 18, 4);
      EXPECT_GE(size, 27u) << "MAIN header without the AV_SIZE byte";
      pos += 4 + size;
      first = false;
      continue;
    }
    EXPECT_EQ(type, 1) << path << ": unexpected block type at " << pos;
    ScannedFile f;
    f.flags = static_cast<std::uint16_t>(Le(b, pos + 5, 2));
    f.packedSize = Le(b, pos + 7, 4);
    f.originalSize = Le(b, pos + 11, 4);
    f.dosTime = Le(b, pos + 15, 4);
    f.attributes = Le(b, pos + 19, 4);
    f.crc32 = Le(b, pos + 23, 4);
    f.compressionType = b[pos + 27];
    f.params = static_cast<std::uint16_t>(Le(b, pos + 29, 2));
    const std::size_t nameSize = Le(b, pos + 33, 2);
    f.name.assign(b.begin() + static_cast<long>(pos) + 35,
                  b.begin() + static_cast<long>(pos + 35 + nameSize));
    f.headerSize = size;
    pos += 4 + size;
    if (pos + f.packedSize > b.size()) {
      ADD_FAILURE() << path << ": data of " << f.name << " runs past the end";
      break;
    }
    f.data.assign(b.begin() + static_cast<long>(pos),
                  b.begin() + static_cast<long>(pos + f.packedSize));
    pos += f.packedSize;
    volume.files.push_back(std::move(f));
  }
  return volume;
}

}  // namespace pelmora::acewriter::testutil
