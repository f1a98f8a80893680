// How an archive is to be written.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "acewriter/encode/Encoder.h"

namespace pelmora::acewriter {

enum class PackMethod {
  Stored,  // COMP_TYPE 0 for every member
  Lz77,    // ACE 1.0: any ACE reader can extract
  Ace20,   // ACE 2.0 blocked stream with its special modes
};

struct ArchiveOptions {
  PackMethod method = PackMethod::Lz77;
  encode::BlockedMode mode = encode::BlockedMode::Auto;  // Ace20 only
  // 10..22; readers of ACE 1.0 archives handle at most 20 (1 MiB).
  std::uint32_t dictionaryBits = 20;
  int level = 5;  // 1..5
  bool solid = false;
  // Empty: no encryption. Otherwise every non-empty file is encrypted.
  std::string password;
  // 0: a single file. Otherwise the largest size of each volume in bytes.
  std::uint64_t volumeSize = 0;
  // Files larger than this are packed piece by piece through a work file
  // beside the archive, so memory stays bounded whatever their size. (Ace20
  // pictures and sounds excepted: their modes are coded from memory.)
  std::uint64_t largeFileThreshold = 16u << 20;
  // DOS date-time in the MAIN header; unset: the current local time.
  std::optional<std::uint32_t> creationTime;
  // DOS date-time: a member stamped later is recorded with this one instead
  // (reproducible builds; see BuildTime.h). Unset: stamps as they are.
  std::optional<std::uint32_t> latestMemberTime;
};

}  // namespace pelmora::acewriter
