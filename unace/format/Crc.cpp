#include "unace/format/Crc.h"

#include <array>

namespace unace::format {
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

}  // namespace

std::uint32_t AceCrc32Update(std::uint32_t crc, const std::uint8_t* data, std::size_t size) {
  for (std::size_t i = 0; i < size; ++i) crc = kTable[(crc ^ data[i]) & 0xFFu] ^ (crc >> 8);
  return crc;
}

void AceCrc32::update(const std::uint8_t* data, std::size_t size) {
  register_ = AceCrc32Update(register_, data, size);
}

std::uint32_t AceCrc32Of(std::span<const std::uint8_t> data) {
  return AceCrc32Update(AceCrc32::kInitial, data.data(), data.size());
}

std::uint16_t HeaderCrc16(std::span<const std::uint8_t> headerBody) {
  return static_cast<std::uint16_t>(AceCrc32Of(headerBody) & 0xFFFFu);
}

}  // namespace unace::format
