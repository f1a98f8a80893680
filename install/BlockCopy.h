// The block copy behind moving the uninstaller: small blocks, so that the
// caller can move the progress bar and let window messages through between
// them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>

#include "common/WinFailure.h"

namespace pelmora::install {

inline constexpr std::size_t kCopyBlockSize = 2048;

// Told the bytes written so far and the expected total before each block and
// once more after the last one.
using CopyProgress = std::function<void(std::uint64_t done, std::uint64_t total)>;

// Fills the front of the buffer; returns how many bytes, 0 at the end, or a
// failure when the source cannot be read.
using BlockSource = std::function<common::WinResult<std::size_t>(std::span<char> buffer)>;

// Stores every one of the bytes, or fails: a write that stores fewer is a
// failure too (winsupport::WriteAll says so), so that an incomplete copy is
// never taken for the file.
using BlockSink = std::function<std::optional<common::WinFailure>(std::span<const char> bytes)>;

// Copies until the source is exhausted (nothing: every byte is copied, as
// the last progress report says), or until the first failure of the source
// or the sink, which it returns.
std::optional<common::WinFailure> CopyBlocks(const BlockSource& source, const BlockSink& sink,
                                             std::uint64_t total, const CopyProgress& progress);

}  // namespace pelmora::install
