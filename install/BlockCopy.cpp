#include "install/BlockCopy.h"

#include <array>

namespace pelmora::install {

std::variant<std::uint64_t, RunFailure> CopyBlocks(const BlockSource& source, const BlockSink& sink,
                                                   std::uint64_t total,
                                                   const CopyProgress& progress) {
  std::array<char, kCopyBlockSize> buffer;
  std::uint64_t done = 0;
  for (;;) {
    if (progress) progress(done, total);
    const BlockResult read = source(buffer);
    if (const auto* failure = std::get_if<RunFailure>(&read)) return *failure;
    const std::size_t count = std::get<std::size_t>(read);
    if (count == 0) break;
    const BlockResult written = sink(std::span<const char>(buffer.data(), count));
    if (const auto* failure = std::get_if<RunFailure>(&written)) return *failure;
    if (std::get<std::size_t>(written) != count) return IoFailure(kDiskWriteError);
    done += count;
  }
  return done;
}

}  // namespace pelmora::install
