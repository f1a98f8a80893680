// Bit sink for ACE packed data. Readers take 32-bit little-endian words and
// consume each from its most significant bit, so bits are gathered MSB-first
// in a 32-bit accumulator and every full word is emitted little-endian.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace pelmora::acewriter::encode {

class BitWriter {
 public:
  // Appends the low `count` bits of `value` (0..32), most significant first.
  void Put(std::uint32_t value, unsigned count) {
    if (count == 0) return;
    const std::uint64_t masked = count == 32 ? value : (value & ((std::uint32_t{1} << count) - 1));
    pending_ = (pending_ << count) | masked;
    pendingBits_ += count;
    if (pendingBits_ >= 32) {
      pendingBits_ -= 32;
      EmitWord(static_cast<std::uint32_t>(pending_ >> pendingBits_));
      pending_ &= (std::uint64_t{1} << pendingBits_) - 1;
    }
  }

  // Total bits written so far.
  std::uint64_t BitCount() const { return (takenBytes_ + bytes_.size()) * 8ull + pendingBits_; }

  // Pads the last word with zero bits and hands out the bytes, a multiple
  // of 4 long. The writer is empty afterwards.
  std::vector<std::uint8_t> Finish();

  // Hands out the whole words written so far; the partial word stays.
  std::vector<std::uint8_t> TakeWords();

 private:
  void EmitWord(std::uint32_t word) {
    bytes_.push_back(static_cast<std::uint8_t>(word));
    bytes_.push_back(static_cast<std::uint8_t>(word >> 8));
    bytes_.push_back(static_cast<std::uint8_t>(word >> 16));
    bytes_.push_back(static_cast<std::uint8_t>(word >> 24));
  }

  std::vector<std::uint8_t> bytes_;
  std::uint64_t takenBytes_ = 0;  // handed out by TakeWords
  std::uint64_t pending_ = 0;
  unsigned pendingBits_ = 0;
};

}  // namespace pelmora::acewriter::encode
