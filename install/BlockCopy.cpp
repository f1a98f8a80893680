#include "install/BlockCopy.h"

#include <array>

#include "install/RunErrors.h"

namespace pelmora::install {

std::uint64_t CopyBlocks(const BlockSource& source, const BlockSink& sink, std::uint64_t total,
                         const CopyProgress& progress) {
  std::array<char, kCopyBlockSize> buffer;
  std::uint64_t done = 0;
  for (;;) {
    if (progress) progress(done, total);
    const std::size_t read = source(buffer);
    if (read == 0) break;
    const std::span<const char> block(buffer.data(), read);
    if (sink(block) != read) throw IoError(IoError::kDiskWriteError);
    done += read;
  }
  return done;
}

}  // namespace pelmora::install
