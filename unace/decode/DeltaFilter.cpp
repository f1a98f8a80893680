#include "unace/decode/DeltaFilter.h"

namespace pelmora::unace::decode {

void DeltaFilter::Apply(const std::uint8_t* chunk, std::size_t length, std::size_t planes,
                        std::uint8_t* out) {
  sums_.resize(length);
  std::uint8_t sum = running_;
  for (std::size_t i = 0; i < length; ++i) {
    sum = static_cast<std::uint8_t>(sum + chunk[i]);
    sums_[i] = sum;
  }
  running_ = sum;
  const std::size_t perPlane = length / planes;
  for (std::size_t k = 0; k < planes; ++k) {
    const std::uint8_t* plane = sums_.data() + k * perPlane;
    for (std::size_t j = 0; j < perPlane; ++j) out[j * planes + k] = plane[j];
  }
}

}  // namespace pelmora::unace::decode
