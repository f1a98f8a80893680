#include "install/BlockCopy.h"

#include <array>

namespace pelmora::install {

std::optional<common::WinFailure> CopyBlocks(const BlockSource& source, const BlockSink& sink,
                                             std::uint64_t total, const CopyProgress& progress) {
  std::array<char, kCopyBlockSize> buffer;
  std::uint64_t done = 0;
  for (;;) {
    if (progress) progress(done, total);
    auto read = source(buffer);
    if (auto* failure = std::get_if<common::WinFailure>(&read)) return std::move(*failure);
    const std::size_t count = *std::get_if<std::size_t>(&read);
    if (count == 0) return std::nullopt;
    if (auto failure = sink(std::span<const char>(buffer.data(), count))) return failure;
    done += count;
  }
}

}  // namespace pelmora::install
