#include "acewriter/encode/BitWriter.h"

#include <utility>

namespace pelmora::acewriter::encode {

std::vector<std::uint8_t> BitWriter::finish() {
  if (pendingBits_ > 0) {
    emitWord(static_cast<std::uint32_t>(pending_ << (32 - pendingBits_)));
    pending_ = 0;
    pendingBits_ = 0;
  }
  takenBytes_ = 0;
  return std::exchange(bytes_, {});
}

std::vector<std::uint8_t> BitWriter::takeWords() {
  takenBytes_ += bytes_.size();
  return std::exchange(bytes_, {});
}

}  // namespace pelmora::acewriter::encode
