#include <sys/types.h>

#include "unace/io/LargeFileOffset.h"

namespace pelmora::unace::io {

bool SeekLarge(std::FILE* file, std::uint64_t offset, int whence) {
  return fseeko(file, static_cast<off_t>(offset), whence) == 0;
}

std::int64_t TellLarge(std::FILE* file) { return ftello(file); }

}  // namespace pelmora::unace::io
