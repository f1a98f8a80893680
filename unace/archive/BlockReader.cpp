#include "unace/archive/BlockReader.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <utility>

#include "unace/format/Crc.h"
#include "unace/format/LittleEndian.h"

namespace pelmora::unace::archive {

std::variant<RawBlock, EndOfVolume, format::HeaderProblem> ReadBlock(io::ByteSource& source) {
  RawBlock block;
  block.offset = source.Position();
  std::uint8_t prefix[format::kHeaderPrefixBytes];
  const std::size_t got = source.Read(prefix, sizeof prefix);
  if (got == 0) return EndOfVolume{};
  const std::string where = " at offset " + std::to_string(block.offset);
  if (got < sizeof prefix) return format::HeaderProblem{"truncated header" + where};
  const std::uint16_t storedCrc = format::Le16(prefix);
  const std::uint16_t size = format::Le16(prefix + 2);
  if (size == 0 || size > source.Remaining())
    return format::HeaderProblem{"header size " + std::to_string(size) +
                                 " beyond the end of the volume" + where};
  block.body.resize(size);
  if (source.Read(block.body.data(), size) != size)
    return format::HeaderProblem{"header cannot be read completely" + where};
  if (format::HeaderCrc16(block.body) != storedCrc)
    return format::HeaderProblem{"header checksum mismatch" + where};
  const auto envelope = format::ParseEnvelope(block.body);
  const auto additional = format::ParseAdditionalSize(block.body);
  if (!envelope || !additional)
    return format::HeaderProblem{"header too short for its type and flags" + where};
  block.envelope = *envelope;
  block.additionalSize = *additional;
  if (block.additionalSize > source.Remaining())
    return format::HeaderProblem{"declared data size " + std::to_string(block.additionalSize) +
                                 " exceeds the " + std::to_string(source.Remaining()) +
                                 " bytes left in the volume" + where};
  return block;
}

bool SkipData(io::ByteSource& source, const RawBlock& block) {
  return source.Seek(block.offset + format::kHeaderPrefixBytes + block.body.size() +
                     block.additionalSize);
}

namespace {

// Tries a MAIN header whose signature was seen at `signatureAt`.
std::optional<format::MainHeader> TryMainHeaderAt(io::ByteSource& source,
                                                  std::uint64_t signatureAt) {
  constexpr std::uint64_t kSignatureOffset = 7;
  if (signatureAt < kSignatureOffset || !source.Seek(signatureAt - kSignatureOffset))
    return std::nullopt;
  std::variant<RawBlock, EndOfVolume, format::HeaderProblem> read = ReadBlock(source);
  const RawBlock* block = std::get_if<RawBlock>(&read);
  if (!block) return std::nullopt;
  if (block->envelope.type != format::kBlockMain)
    return std::nullopt;  // a recovery record also holds **ACE**
  std::variant<format::MainHeader, format::HeaderProblem> parsed =
      format::ParseMainHeader(block->body);
  format::MainHeader* main = std::get_if<format::MainHeader>(&parsed);
  if (!main || !source.Seek(block->offset + format::kHeaderPrefixBytes + block->body.size()))
    return std::nullopt;
  return std::move(*main);
}

}  // namespace

std::variant<format::MainHeader, format::HeaderProblem> FindMainHeader(io::ByteSource& source) {
  const std::uint64_t limit = std::min<std::uint64_t>(source.Size(), kMainHeaderSearchBytes);
  std::vector<std::uint8_t> window(static_cast<std::size_t>(limit));
  if (!source.Seek(0) || source.Read(window.data(), window.size()) != window.size())
    return format::HeaderProblem{"volume cannot be read"};
  // Each full check may hash a 64 KiB header; a hostile stub packed with
  // signatures must not turn the search into minutes of work.
  constexpr int kMaxCandidates = 256;
  int candidates = 0;
  const std::size_t n = format::kAceSignatureBytes;
  for (std::size_t p = 7; p + n <= window.size(); ++p) {
    if (window[p] != '*' || std::memcmp(window.data() + p, format::kAceSignature, n) != 0) continue;
    if (window[p - 3] != format::kBlockMain) continue;
    if (++candidates > kMaxCandidates) break;
    if (std::optional<format::MainHeader> main = TryMainHeaderAt(source, p))
      return std::move(*main);
  }
  return format::HeaderProblem{"no ACE archive header found"};
}

}  // namespace pelmora::unace::archive
