#include "acewriter/encode/BitWriter.h"

#include <utility>

namespace pelmora::acewriter::encode {

std::vector<std::uint8_t> BitWriter::Finish() {
  if (pendingBits_ > 0) {
    EmitWord(static_cast<std::uint32_t>(pending_ << (32 - pendingBits_)));
    pending_ = 0;
    pendingBits_ = 0;
  }
  takenBytes_ = 0;
  return std::exchange(bytes_, {});
}

std::vector<std::uint8_t> BitWriter::TakeWords() {
  takenBytes_ += bytes_.size();
  return std::exchange(bytes_, {});
}

}  // namespace pelmora::acewriter::encode
