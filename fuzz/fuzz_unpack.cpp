// The unpacker of the setup program's carried resources on hostile bytes.
// Whatever they hold, it gives back exactly the size their header announces
// or refuses them, never reading or writing out of bounds. The packer is
// checked against it on the way: what the unpacker gave back (or, when it
// refused, the input itself) packed and unpacked again comes back byte for
// byte.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "common/Packing.h"

namespace {

using Bytes = std::vector<unsigned char>;

// The packer searches thoroughly and is the slow half: packing every input
// in full made this target several times slower. Most inputs are refused,
// so only short ones are packed as they are; what the unpacker gives back,
// content shaped by its matches, is packed up to a longer size. The
// unpacker itself still sees every size a header can announce.
constexpr std::size_t kLongestRefusedRoundTrip = 256;
constexpr std::size_t kLongestRoundTrip = 1024;

void Require(bool condition) {
  if (!condition) std::abort();
}

void RoundTrip(const Bytes& bytes) {
  const Bytes packed = pelmora::common::Pack(bytes);
  const auto unpacked = pelmora::common::Unpack(packed.data(), packed.size());
  Require(unpacked && *unpacked == bytes);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto unpacked = pelmora::common::Unpack(data, size);
  if (!unpacked) {
    if (size <= kLongestRefusedRoundTrip) RoundTrip(Bytes(data, data + size));
    return 0;
  }
  Require(size >= pelmora::common::packing::kHeaderSize);
  const std::uint32_t announced =
      data[0] | (data[1] << 8) | (data[2] << 16) | (std::uint32_t{data[3]} << 24);
  Require(unpacked->size() == announced);
  if (unpacked->size() <= kLongestRoundTrip) RoundTrip(*unpacked);
  return 0;
}
