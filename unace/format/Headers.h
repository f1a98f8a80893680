// The blocks of an ACE volume: the envelope every header shares, the MAIN
// header and the FILE headers. Parsing works on the header body (the
// HEAD_SIZE bytes from the type byte on) that the caller has read and
// checked against its CRC; every field access is checked against that size.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <variant>

#include "unace/format/Flags.h"

namespace pelmora::unace::format {

inline constexpr std::size_t kHeaderPrefixBytes = 4;  // HEAD_CRC, HEAD_SIZE
inline constexpr char kAceSignature[] = "**ACE**";
inline constexpr std::size_t kAceSignatureBytes = 7;

// Why a header cannot be read: what is wrong with it (and, where the reader
// knows it, where it is).
struct HeaderProblem {
  std::string text;
};

struct HeaderEnvelope {
  std::uint8_t type = 0;
  std::uint16_t flags = 0;
};

struct MainHeader {
  std::uint16_t flags = 0;
  std::uint8_t versionToExtract = 0;
  std::uint8_t versionCreated = 0;
  std::uint8_t host = 0;
  std::uint8_t volumeNumber = 0;
  std::uint32_t timeCreated = 0;
  std::string advert;

  bool Solid() const { return (flags & flags::kSolid) != 0; }
  bool MultiVolume() const { return (flags & flags::kMultiVolume) != 0; }
};

struct FileHeader {
  std::uint8_t type = 0;
  std::uint16_t flags = 0;
  std::uint64_t packedSize = 0;
  std::uint64_t originalSize = 0;
  std::uint32_t dosTime = 0;
  std::uint32_t attributes = 0;
  std::uint32_t crc32 = 0;
  std::uint8_t compression = 0;
  std::uint8_t quality = 0;
  std::uint16_t parameters = 0;
  // The stored name bytes exactly as they are (OEM code page, '\' separated,
  // possibly with NUL or other hostile bytes).
  std::string name;

  bool IsDirectory() const { return (attributes & kAttributeDirectory) != 0; }
  bool Encrypted() const { return (flags & flags::kPassword) != 0; }
  bool ContinuedFromPrevious() const { return (flags & flags::kContinuedFromPrevious) != 0; }
  bool ContinuesInNext() const { return (flags & flags::kContinuesInNext) != 0; }
  unsigned DictionaryCode() const { return parameters & 0x0Fu; }
  // Valid only when DictionaryCode() <= kMaxDictionaryCode.
  std::uint32_t DictionaryBytes() const { return std::uint32_t{1} << (DictionaryCode() + 10); }
};

// Type and flags; nullopt when the body is too short to hold them.
std::optional<HeaderEnvelope> ParseEnvelope(std::span<const std::uint8_t> body);

// Size of the data area that follows the header (0 without the ADDSIZE flag);
// nullopt when the flag promises a size field the body does not hold.
std::optional<std::uint64_t> ParseAdditionalSize(std::span<const std::uint8_t> body);

// The MAIN header, or why the body is not a well-formed one.
std::variant<MainHeader, HeaderProblem> ParseMainHeader(std::span<const std::uint8_t> body);

// For types kBlockFile32 and kBlockFile64.
std::variant<FileHeader, HeaderProblem> ParseFileHeader(std::span<const std::uint8_t> body);

}  // namespace pelmora::unace::format
