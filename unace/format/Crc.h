// Checksums of the ACE format. File data carries a CRC-32 with the zlib
// polynomial but without the final inversion; headers carry the low 16 bits
// of that same value over the header bytes from the type byte on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace pelmora::unace::format {

// Running ACE-CRC32. Start a fresh one per file; `value()` may be read at any
// point and is what FILE headers store (an empty input gives 0xFFFFFFFF).
class AceCrc32 {
 public:
  static constexpr std::uint32_t kInitial = 0xFFFFFFFFu;

  void Update(const std::uint8_t* data, std::size_t size);
  void Update(std::span<const std::uint8_t> data) { Update(data.data(), data.size()); }
  std::uint32_t Value() const { return register_; }
  void Reset() { register_ = kInitial; }

 private:
  std::uint32_t register_ = kInitial;
};

// Continues `crc` (an ACE-CRC32 value, kInitial for a fresh start) over `data`.
std::uint32_t AceCrc32Update(std::uint32_t crc, const std::uint8_t* data, std::size_t size);

// ACE-CRC32 of a whole buffer.
std::uint32_t AceCrc32Of(std::span<const std::uint8_t> data);

// Header check value: the low half of the ACE-CRC32 of the header body.
std::uint16_t HeaderCrc16(std::span<const std::uint8_t> headerBody);

}  // namespace pelmora::unace::format
