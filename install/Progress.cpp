#include "install/Progress.h"

namespace pelmora::install {

void ExtractProgress::CountListed(std::uint32_t unpackedSize, bool selected) {
  listedBytes_ += unpackedSize;
  if (selected) {
    selectedBytes_ += unpackedSize;
    anySelected_ = true;
  }
}

void ExtractProgress::AddUnpacked(std::int64_t blockSize) {
  if (blockSize > 0) unpackedBytes_ += static_cast<std::uint64_t>(blockSize);
}

int ExtractProgress::Percent() const {
  const std::uint64_t total = anySelected_ ? selectedBytes_ : listedBytes_;
  if (total == 0) return 0;
  if (unpackedBytes_ >= total) return 100;
  constexpr std::uint64_t kLargestExactProduct = UINT64_MAX / 100;
  if (unpackedBytes_ <= kLargestExactProduct) return static_cast<int>(unpackedBytes_ * 100 / total);
  return static_cast<int>(unpackedBytes_ / (total / 100));
}

}  // namespace pelmora::install
