#include "acewriter/encode/Filters.h"

#include <stdexcept>

namespace pelmora::acewriter::encode {

namespace {

// Filters `out` in place from its start while four bytes follow an opcode;
// returns where the scan stopped (the bytes before are final).
std::size_t FilterInPlace(std::vector<std::uint8_t>& out, std::uint64_t memberOffset,
                          std::uint8_t exeMode) {
  const std::size_t n = out.size();
  std::size_t i = 0;
  while (i + 4 < n) {
    const std::uint8_t op = out[i];
    const auto where = static_cast<std::uint32_t>(memberOffset + i);
    if (op == 0xE8 && exeMode != 0) {
      std::uint32_t v = std::uint32_t{out[i + 1]} | std::uint32_t{out[i + 2]} << 8 |
                        std::uint32_t{out[i + 3]} << 16 | std::uint32_t{out[i + 4]} << 24;
      v += where;
      for (int b = 0; b < 4; ++b)
        out[i + 1 + static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(v >> (8 * b));
      i += 5;
    } else if (op == 0xE8 || op == 0xE9) {
      std::uint32_t v = std::uint32_t{out[i + 1]} | std::uint32_t{out[i + 2]} << 8;
      v += where;
      out[i + 1] = static_cast<std::uint8_t>(v);
      out[i + 2] = static_cast<std::uint8_t>(v >> 8);
      i += 3;
    } else {
      ++i;
    }
  }
  return i;
}

}  // namespace

std::vector<std::uint8_t> ExeFilter(std::span<const std::uint8_t> segment,
                                    std::uint64_t memberOffset, std::uint8_t exeMode) {
  std::vector<std::uint8_t> out(segment.begin(), segment.end());
  FilterInPlace(out, memberOffset, exeMode);
  return out;
}

std::vector<std::uint8_t> ExeFilterStream::Feed(std::span<const std::uint8_t> bytes) {
  pending_.insert(pending_.end(), bytes.begin(), bytes.end());
  const std::size_t final = FilterInPlace(pending_, offset_, exeMode_);
  std::vector<std::uint8_t> done(pending_.begin(),
                                 pending_.begin() + static_cast<std::ptrdiff_t>(final));
  pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(final));
  offset_ += final;
  return done;
}

bool ExeSegmentMayEnd(std::span<const std::uint8_t> segment) {
  const std::size_t n = segment.size();
  for (std::size_t back = 1; back <= 3 && back <= n; ++back)
    if (segment[n - back] == 0xE8 || segment[n - back] == 0xE9) return false;
  return true;
}

std::vector<std::uint8_t> DeltaChunk(std::span<const std::uint8_t> chunk, unsigned distance,
                                     std::uint8_t& running) {
  if (distance == 0 || chunk.size() % distance != 0)
    throw std::logic_error("DeltaChunk: chunk length is not a multiple of the distance");
  const std::size_t perPlane = chunk.size() / distance;
  std::vector<std::uint8_t> out(chunk.size());
  std::size_t i = 0;
  for (unsigned plane = 0; plane < distance; ++plane) {
    for (std::size_t j = 0; j < perPlane; ++j, ++i) {
      const std::uint8_t value = chunk[j * distance + plane];
      out[i] = static_cast<std::uint8_t>(value - running);
      running = value;
    }
  }
  return out;
}

}  // namespace pelmora::acewriter::encode
