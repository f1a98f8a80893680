#include "unace/archive/BlockReader.h"

#include <algorithm>
#include <cstring>

#include "unace/format/Crc.h"
#include "unace/format/LittleEndian.h"

namespace pelmora::unace::archive {

BlockStatus ReadBlock(io::ByteSource& source, RawBlock& block, std::string& why) {
  block.offset = source.Position();
  std::uint8_t prefix[format::kHeaderPrefixBytes];
  const std::size_t got = source.Read(prefix, sizeof prefix);
  if (got == 0) return BlockStatus::EndOfVolume;
  const std::string where = " at offset " + std::to_string(block.offset);
  if (got < sizeof prefix) {
    why = "truncated header" + where;
    return BlockStatus::Damaged;
  }
  const std::uint16_t storedCrc = format::Le16(prefix);
  const std::uint16_t size = format::Le16(prefix + 2);
  if (size == 0 || size > source.Remaining()) {
    why = "header size " + std::to_string(size) + " beyond the end of the volume" + where;
    return BlockStatus::Damaged;
  }
  block.body.resize(size);
  if (source.Read(block.body.data(), size) != size) {
    why = "header cannot be read completely" + where;
    return BlockStatus::Damaged;
  }
  if (format::HeaderCrc16(block.body) != storedCrc) {
    why = "header checksum mismatch" + where;
    return BlockStatus::Damaged;
  }
  const auto envelope = format::ParseEnvelope(block.body);
  const auto additional = format::ParseAdditionalSize(block.body);
  if (!envelope || !additional) {
    why = "header too short for its type and flags" + where;
    return BlockStatus::Damaged;
  }
  block.envelope = *envelope;
  block.additionalSize = *additional;
  if (block.additionalSize > source.Remaining()) {
    why = "declared data size " + std::to_string(block.additionalSize) + " exceeds the " +
          std::to_string(source.Remaining()) + " bytes left in the volume" + where;
    return BlockStatus::Damaged;
  }
  return BlockStatus::Ok;
}

bool SkipData(io::ByteSource& source, const RawBlock& block) {
  return source.Seek(block.offset + format::kHeaderPrefixBytes + block.body.size() +
                     block.additionalSize);
}

namespace {

// Tries a MAIN header whose signature was seen at `signatureAt`.
bool TryMainHeaderAt(io::ByteSource& source, std::uint64_t signatureAt, format::MainHeader& main) {
  constexpr std::uint64_t kSignatureOffset = 7;
  if (signatureAt < kSignatureOffset || !source.Seek(signatureAt - kSignatureOffset)) return false;
  RawBlock block;
  std::string ignored;
  if (ReadBlock(source, block, ignored) != BlockStatus::Ok) return false;
  if (block.envelope.type != format::kBlockMain)
    return false;  // a recovery record also holds **ACE**
  auto parsed = format::ParseMainHeader(block.body, ignored);
  if (!parsed) return false;
  main = std::move(*parsed);
  return source.Seek(block.offset + format::kHeaderPrefixBytes + block.body.size());
}

}  // namespace

bool FindMainHeader(io::ByteSource& source, format::MainHeader& main, std::string& why) {
  const std::uint64_t limit = std::min<std::uint64_t>(source.Size(), kMainHeaderSearchBytes);
  std::vector<std::uint8_t> window(static_cast<std::size_t>(limit));
  if (!source.Seek(0) || source.Read(window.data(), window.size()) != window.size()) {
    why = "volume cannot be read";
    return false;
  }
  // Each full check may hash a 64 KiB header; a hostile stub packed with
  // signatures must not turn the search into minutes of work.
  constexpr int kMaxCandidates = 256;
  int candidates = 0;
  const std::size_t n = format::kAceSignatureBytes;
  for (std::size_t p = 7; p + n <= window.size(); ++p) {
    if (window[p] != '*' || std::memcmp(window.data() + p, format::kAceSignature, n) != 0) continue;
    if (window[p - 3] != format::kBlockMain) continue;
    if (++candidates > kMaxCandidates) break;
    if (TryMainHeaderAt(source, p, main)) return true;
  }
  why = "no ACE archive header found";
  return false;
}

}  // namespace pelmora::unace::archive
