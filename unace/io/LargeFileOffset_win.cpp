#include "unace/io/LargeFileOffset.h"

namespace pelmora::unace::io {

bool SeekLarge(std::FILE* file, std::uint64_t offset, int whence) {
  return _fseeki64(file, static_cast<__int64>(offset), whence) == 0;
}

std::int64_t TellLarge(std::FILE* file) { return _ftelli64(file); }

}  // namespace pelmora::unace::io
