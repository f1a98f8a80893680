#include "unace/format/Crc.h"

#include <memory>

#include "unace/format/LittleEndian.h"

namespace pelmora::unace::format {
namespace {

constexpr std::uint32_t kReflectedPolynomial = 0xEDB88320u;

// Slicing by eight: table k holds the CRC of a byte followed by k zero
// bytes, so eight input bytes cost eight independent lookups instead of a
// chain of eight dependent ones. Extraction spends a good part of its time
// here. The 8 KB of tables are computed when the program or library is
// loaded (microseconds) rather than carried in the file: on the heap, since
// a static array, even of zeros, would still take its 8 KB in the DLL
// (MinGW's GCC gives zero-initialised data its own .data section, not .bss,
// when every object gets a section of its own).
struct SliceTables {
  std::uint32_t slice[8][256];
};

std::unique_ptr<const SliceTables> MakeSliceTables() {
  auto tables = std::make_unique<SliceTables>();
  auto& t = tables->slice;
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t r = i;
    for (int bit = 0; bit < 8; ++bit) r = (r & 1u) ? (r >> 1) ^ kReflectedPolynomial : r >> 1;
    t[0][i] = r;
  }
  for (std::size_t k = 1; k < 8; ++k)
    for (std::size_t i = 0; i < 256; ++i) t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFFu];
  return tables;
}

const std::unique_ptr<const SliceTables> kTables = MakeSliceTables();

}  // namespace

std::uint32_t AceCrc32Update(std::uint32_t crc, const std::uint8_t* data, std::size_t size) {
  const auto& kSlices = kTables->slice;
  const auto& kTable = kSlices[0];
  while (size >= 8) {
    const std::uint32_t low = Le32(data) ^ crc;
    const std::uint32_t high = Le32(data + 4);
    crc = kSlices[7][low & 0xFFu] ^ kSlices[6][(low >> 8) & 0xFFu] ^
          kSlices[5][(low >> 16) & 0xFFu] ^ kSlices[4][low >> 24] ^ kSlices[3][high & 0xFFu] ^
          kSlices[2][(high >> 8) & 0xFFu] ^ kSlices[1][(high >> 16) & 0xFFu] ^
          kSlices[0][high >> 24];
    data += 8;
    size -= 8;
  }
  for (std::size_t i = 0; i < size; ++i) crc = kTable[(crc ^ data[i]) & 0xFFu] ^ (crc >> 8);
  return crc;
}

void AceCrc32::Update(const std::uint8_t* data, std::size_t size) {
  register_ = AceCrc32Update(register_, data, size);
}

std::uint32_t AceCrc32Of(std::span<const std::uint8_t> data) {
  return AceCrc32Update(AceCrc32::kInitial, data.data(), data.size());
}

std::uint16_t HeaderCrc16(std::span<const std::uint8_t> headerBody) {
  return static_cast<std::uint16_t>(AceCrc32Of(headerBody) & 0xFFFFu);
}

}  // namespace pelmora::unace::format
