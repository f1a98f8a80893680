// How the shipped files get their memory. They are built without
// exceptions, so a request the heap cannot meet ends the process
// (common/FailuresEndTheProgram.cpp) with this exit code, before anything
// further is written. Every piece of work that changes a file or a key asks
// for its memory before it starts changing (the sealed protocol computes its
// digests before it writes), so ending leaves the last state whole.
#pragma once

#include <cstddef>

namespace pelmora::common {

// The exit code of a process that ran out of memory (listed with the others
// in contract/ExitCodes.h).
inline constexpr int kOutOfMemoryExitCode = 3;

// A block of `size` bytes (never 0) from the heap, or null. The programs
// take it from common/HeapBlocks.cpp; a test program may link another
// definition to make the n-th request fail.
void* AllocateBlock(std::size_t size) noexcept;

}  // namespace pelmora::common
