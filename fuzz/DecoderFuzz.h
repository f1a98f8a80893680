// Shared by the decoder fuzz targets: arbitrary bytes as a member's packed
// data. The first two bytes choose the dictionary, the output size (at most
// 128 KiB: beyond two output pieces, larger members only cost time) and
// whether a second, solid member follows on the same window.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "unace/decode/Decoder.h"

namespace pelmora::fuzz {

class SpanInput : public unace::decode::PackedInput {
 public:
  SpanInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::size_t Read(std::uint8_t* dst, std::size_t max) override {
    const std::size_t n = size_ - pos_ < max ? size_ - pos_ : max;
    if (n != 0) std::memcpy(dst, data_ + pos_, n);
    pos_ += n;
    return n;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

class CountingOutput : public unace::decode::Output {
 public:
  bool Write(const std::uint8_t*, std::size_t n) override {
    total += n;
    return true;
  }
  std::size_t total = 0;
};

}  // namespace pelmora::fuzz

// One fuzz input as one or two members of the given stream format.
inline int FuzzMemberDecoding(const std::uint8_t* data, std::size_t size, bool blocked) {
  if (size < 2) return 0;
  const std::uint32_t dictionary = 1u << (10 + data[0] % 13);
  // Small sizes one by one, larger ones in steps of 1 KiB up to 128 KiB.
  const std::uint64_t originalSize =
      data[1] < 128 ? data[1] + 1u : std::uint64_t{data[1] - 127u} << 10;
  const bool solidSecond = (data[0] & 0x80) != 0;
  data += 2;
  size -= 2;
  // One decoder for every input: its window, once grown, serves the next
  // input too, instead of being allocated (and quarantined by ASan) anew.
  static pelmora::unace::decode::Decoder decoder;
  decoder.Reset();
  for (int member = 0; member < (solidSecond ? 2 : 1); ++member) {
    pelmora::fuzz::SpanInput input(data, size);
    pelmora::fuzz::CountingOutput output;
    const auto status =
        decoder.DecodeMember(input, output, originalSize, dictionary, blocked, member > 0);
    if (status == pelmora::unace::decode::Status::Ok && output.total != originalSize)
      __builtin_trap();
  }
  return 0;
}
