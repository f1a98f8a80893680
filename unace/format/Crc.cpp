#include "unace/format/Crc.h"

#include <array>

#include "unace/format/LittleEndian.h"

namespace pelmora::unace::format {
namespace {

constexpr std::uint32_t kReflectedPolynomial = 0xEDB88320u;

constexpr std::array<std::uint32_t, 256> MakeTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t r = i;
    for (int bit = 0; bit < 8; ++bit) r = (r & 1u) ? (r >> 1) ^ kReflectedPolynomial : r >> 1;
    table[i] = r;
  }
  return table;
}

constexpr std::array<std::uint32_t, 256> kTable = MakeTable();

// Slicing by eight: table k holds the CRC of a byte followed by k zero
// bytes, so eight input bytes cost eight independent lookups instead of a
// chain of eight dependent ones. Extraction spends most of its time here.
using SliceTables = std::array<std::array<std::uint32_t, 256>, 8>;

constexpr SliceTables MakeSliceTables() {
  SliceTables t{};
  t[0] = kTable;
  for (std::size_t k = 1; k < 8; ++k)
    for (std::size_t i = 0; i < 256; ++i)
      t[k][i] = (t[k - 1][i] >> 8) ^ kTable[t[k - 1][i] & 0xFFu];
  return t;
}

constexpr SliceTables kSlices = MakeSliceTables();

}  // namespace

std::uint32_t AceCrc32Update(std::uint32_t crc, const std::uint8_t* data, std::size_t size) {
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
