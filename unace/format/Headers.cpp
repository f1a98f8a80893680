#include "unace/format/Headers.h"

#include <cstring>

#include "unace/format/LittleEndian.h"

namespace pelmora::unace::format {
namespace {

// Offsets inside the body (the body starts at the type byte, header offset 4).
constexpr std::size_t kTypeAt = 0;
constexpr std::size_t kFlagsAt = 1;
constexpr std::size_t kAddSizeAt = 3;

// MAIN
constexpr std::size_t kMainSignatureAt = 3;
constexpr std::size_t kMainFixedBytes = 26;  // type byte to the end of the reserved bytes
constexpr std::size_t kMainAdvertSizeAt = 26;

// FILE (FILE64 fields after the sizes move by 8)
constexpr std::size_t kFile32FixedBytes = 31;
constexpr std::size_t kFile64FixedBytes = 39;

std::string Describe(const char* what, std::size_t need, std::size_t have) {
  return std::string(what) + " needs " + std::to_string(need) + " header bytes, the header has " +
         std::to_string(have);
}

}  // namespace

std::optional<HeaderEnvelope> ParseEnvelope(std::span<const std::uint8_t> body) {
  if (body.size() < 3) return std::nullopt;
  return HeaderEnvelope{body[kTypeAt], Le16(body.data() + kFlagsAt)};
}

std::optional<std::uint64_t> ParseAdditionalSize(std::span<const std::uint8_t> body) {
  const auto envelope = ParseEnvelope(body);
  if (!envelope) return std::nullopt;
  // FILE and recovery blocks always carry the size field, whatever their
  // flags claim; hand-made archives leave the flag out and old readers still
  // take the field.
  bool present = (envelope->flags & flags::kAddSize) != 0;
  bool wide = (envelope->flags & flags::k64Bit) != 0;
  switch (envelope->type) {
    case kBlockMain:
      present = false;
      break;
    case kBlockFile32:
    case kBlockRecovery32:
      present = true;
      wide = false;
      break;
    case kBlockFile64:
    case kBlockRecovery64A:
    case kBlockRecovery64B:
      present = true;
      wide = true;
      break;
    default:
      break;
  }
  if (!present) return 0;
  if (body.size() < kAddSizeAt + (wide ? 8 : 4)) return std::nullopt;
  return wide ? Le64(body.data() + kAddSizeAt) : Le32(body.data() + kAddSizeAt);
}

std::variant<MainHeader, HeaderProblem> ParseMainHeader(std::span<const std::uint8_t> body) {
  if (body.size() < kMainFixedBytes)
    return HeaderProblem{Describe("MAIN header", kMainFixedBytes, body.size())};
  if (body[kTypeAt] != kBlockMain)
    return HeaderProblem{"block type " + std::to_string(body[kTypeAt]) +
                         " where the MAIN header was expected"};
  if (std::memcmp(body.data() + kMainSignatureAt, kAceSignature, kAceSignatureBytes) != 0)
    return HeaderProblem{"MAIN header without the **ACE** signature"};
  MainHeader main;
  main.flags = Le16(body.data() + kFlagsAt);
  main.versionToExtract = body[10];
  main.versionCreated = body[11];
  main.host = body[12];
  main.volumeNumber = body[13];
  main.timeCreated = Le32(body.data() + 14);
  // The advert length byte: always written by the archiver, even without the
  // ADVERT flag; older notes call it optional. With the flag it must be there;
  // without it a header that ends at the fixed part simply has no advert.
  if (body.size() > kMainAdvertSizeAt) {
    const std::size_t advertSize = body[kMainAdvertSizeAt];
    const std::size_t advertEnd = kMainAdvertSizeAt + 1 + advertSize;
    if (advertEnd > body.size()) {
      if (main.flags & flags::kAdvert)
        return HeaderProblem{Describe("MAIN header advert", advertEnd, body.size())};
    } else {
      main.advert.assign(reinterpret_cast<const char*>(body.data()) + kMainAdvertSizeAt + 1,
                         advertSize);
    }
  } else if (main.flags & flags::kAdvert) {
    return HeaderProblem{Describe("MAIN header advert size", kMainAdvertSizeAt + 1, body.size())};
  }
  // A main comment lives inside the header and needs no reading to go on.
  return main;
}

std::variant<FileHeader, HeaderProblem> ParseFileHeader(std::span<const std::uint8_t> body) {
  const auto envelope = ParseEnvelope(body);
  if (!envelope || (envelope->type != kBlockFile32 && envelope->type != kBlockFile64))
    return HeaderProblem{"not a FILE header"};
  const bool wide = envelope->type == kBlockFile64;
  const std::size_t fixed = wide ? kFile64FixedBytes : kFile32FixedBytes;
  if (body.size() < fixed) return HeaderProblem{Describe("FILE header", fixed, body.size())};
  FileHeader file;
  file.type = envelope->type;
  file.flags = envelope->flags;
  const std::uint8_t* p = body.data();
  std::size_t at = kAddSizeAt;
  if (wide) {
    file.packedSize = Le64(p + at);
    file.originalSize = Le64(p + at + 8);
    at += 16;
  } else {
    file.packedSize = Le32(p + at);
    file.originalSize = Le32(p + at + 4);
    at += 8;
  }
  file.dosTime = Le32(p + at);
  file.attributes = Le32(p + at + 4);
  file.crc32 = Le32(p + at + 8);
  file.compression = p[at + 12];
  file.quality = p[at + 13];
  file.parameters = Le16(p + at + 14);
  // at + 16: two reserved bytes
  const std::size_t nameSize = Le16(p + at + 18);
  const std::size_t nameAt = at + 20;
  if (nameAt + nameSize > body.size())
    return HeaderProblem{Describe("FILE header name", nameAt + nameSize, body.size())};
  file.name.assign(reinterpret_cast<const char*>(p + nameAt), nameSize);
  // Comment and security descriptor follow inside the header; neither is
  // needed for extraction.
  return file;
}

}  // namespace pelmora::unace::format
