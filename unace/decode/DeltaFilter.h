// Undoes DELTA chunks: a running byte sum over the chunk (carried from chunk
// to chunk through the whole member), then the planes are interleaved back
// into records of `planes` bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace pelmora::unace::decode {

class DeltaFilter {
 public:
  // `chunk` holds length = planes * m bytes as the LZ77 layer produced them;
  // `out` receives the original bytes.
  void Apply(const std::uint8_t* chunk, std::size_t length, std::size_t planes, std::uint8_t* out);

 private:
  std::uint8_t running_ = 0;
  std::vector<std::uint8_t> sums_;
};

}  // namespace pelmora::unace::decode
