// The block copy behind moving the uninstaller: small blocks, so that the
// caller can move the progress bar and let window messages through between
// them, and a short write is an error rather than the quiet end of the copy.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <variant>

#include "install/RunErrors.h"

namespace pelmora::install {

inline constexpr std::size_t kCopyBlockSize = 2048;

// Told the bytes written so far and the expected total before each block and
// once more after the last one.
using CopyProgress = std::function<void(std::uint64_t done, std::uint64_t total)>;

// A count of bytes, or why there is none.
using BlockResult = std::variant<std::size_t, RunFailure>;

// Fills the front of the buffer; returns how many bytes, 0 at the end, or a
// failure when the source cannot be read.
using BlockSource = std::function<BlockResult(std::span<char> buffer)>;

// Writes the bytes and returns how many were stored, or a failure when the
// destination refuses outright.
using BlockSink = std::function<BlockResult(std::span<const char> bytes)>;

// Copies until the source is exhausted and returns the bytes copied, or the
// first failure of the source or the sink. A sink that stores fewer bytes
// than it was given is IoFailure(kDiskWriteError): the copy is incomplete
// and must not be taken for the file.
std::variant<std::uint64_t, RunFailure> CopyBlocks(const BlockSource& source, const BlockSink& sink,
                                                   std::uint64_t total,
                                                   const CopyProgress& progress);

}  // namespace pelmora::install
