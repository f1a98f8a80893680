// Positions in C stdio files beyond 2 GiB: archives and their volumes may be
// that large, and on Windows fseek/ftell take a 32-bit long. One
// implementation per platform (LargeFileOffset_win.cpp, _posix.cpp).
#pragma once

#include <cstdint>
#include <cstdio>

namespace pelmora::unace::io {

// fseek with a 64-bit offset; `whence` is SEEK_SET, SEEK_CUR or SEEK_END.
bool SeekLarge(std::FILE* file, std::uint64_t offset, int whence);

// ftell with a 64-bit result; -1 on failure.
std::int64_t TellLarge(std::FILE* file);

}  // namespace pelmora::unace::io
