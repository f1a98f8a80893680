// Reading the block sequence of one volume: the MAIN header search at the
// start and then one header (with the size of its data area) at a time.
#pragma once

#include <cstdint>
#include <variant>
#include <vector>

#include "unace/format/Headers.h"
#include "unace/io/ByteSource.h"

namespace pelmora::unace::archive {

// How far into a volume the MAIN header is looked for (room for an SFX stub).
inline constexpr std::uint64_t kMainHeaderSearchBytes = 512 * 1024;

struct RawBlock {
  std::uint64_t offset = 0;          // of the header's first byte in the volume
  std::vector<std::uint8_t> body;    // HEAD_SIZE bytes from the type byte on
  std::uint64_t additionalSize = 0;  // data area that follows the header
  format::HeaderEnvelope envelope;
};

// What ReadBlock finds where a volume ends, instead of a header.
struct EndOfVolume {};

// Reads the next header at the source's position and checks its CRC and that
// its data area lies inside the volume. The source is left at the start of
// the data area. A damaged header is the problem, saying where it is.
std::variant<RawBlock, EndOfVolume, format::HeaderProblem> ReadBlock(io::ByteSource& source);

// Skips the data area of `block` (the source must be at its start).
bool SkipData(io::ByteSource& source, const RawBlock& block);

// Finds the MAIN header and leaves the source right after it, or says why
// the volume holds no valid MAIN header in its search range.
std::variant<format::MainHeader, format::HeaderProblem> FindMainHeader(io::ByteSource& source);

}  // namespace pelmora::unace::archive
