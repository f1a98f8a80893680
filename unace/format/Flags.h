// The numbers of the ACE format that writer and reader must agree on: block
// types, header flags, file attributes, compression types, format versions
// and host systems.
#pragma once

#include <cstdint>

namespace pelmora::unace::format {

enum BlockType : std::uint8_t {
  kBlockMain = 0,
  kBlockFile32 = 1,
  kBlockRecovery32 = 2,
  kBlockFile64 = 3,
  kBlockRecovery64A = 4,
  kBlockRecovery64B = 5,
};

namespace flags {
inline constexpr std::uint16_t kAddSize = 0x0001;
inline constexpr std::uint16_t kComment = 0x0002;
inline constexpr std::uint16_t k64Bit = 0x0004;
// MAIN
inline constexpr std::uint16_t kMultiVolume = 0x0800;
inline constexpr std::uint16_t kAdvert = 0x1000;
// MAIN: a solid archive; FILE: a regular file of a solid archive.
inline constexpr std::uint16_t kSolid = 0x8000;
// FILE
inline constexpr std::uint16_t kContinuedFromPrevious = 0x1000;
inline constexpr std::uint16_t kContinuesInNext = 0x2000;
inline constexpr std::uint16_t kPassword = 0x4000;
}  // namespace flags

// Windows file attributes as FILE headers carry them.
inline constexpr std::uint32_t kAttributeReadOnly = 0x01;
inline constexpr std::uint32_t kAttributeHidden = 0x02;
inline constexpr std::uint32_t kAttributeSystem = 0x04;
inline constexpr std::uint32_t kAttributeDirectory = 0x10;
inline constexpr std::uint32_t kAttributeArchive = 0x20;

enum CompressionType : std::uint8_t { kStored = 0, kLz77 = 1, kBlocked = 2 };

// Format versions times ten, as the MAIN header carries them: the version a
// reader needs (20 once a member uses ACE 2.0 coding, else 10) and the
// version that wrote the archive.
enum FormatVersion : std::uint8_t { kVersionAce10 = 10, kVersionAce20 = 20 };

// The largest dictionary code that can be addressed (4 MiB).
inline constexpr unsigned kMaxDictionaryCode = 12;

enum HostSystem : std::uint8_t { kHostWin32 = 2 };

}  // namespace pelmora::unace::format
