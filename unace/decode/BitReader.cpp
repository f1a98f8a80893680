#include "unace/decode/BitReader.h"

#include <cstring>
#include <string>

namespace pelmora::unace::decode {

namespace {
constexpr std::size_t kBufferSize = 64 * 1024;

void NoteTruncated(FaultState& fault, std::uint64_t realBits) {
  if (fault.Failed()) return;  // reading on through zero bits after a fault
  fault.NoteCorrupt("packed data ends after " + std::to_string(realBits / 8) +
                    " bytes, in the middle of a code");
}
}  // namespace

BitReader::BitReader(PackedInput& input) : BitReader(input, ownBuffer_, ownFault_) {}

BitReader::BitReader(PackedInput& input, std::vector<std::uint8_t>& buffer, FaultState& fault)
    : input_(input), fault_(fault), buffer_(buffer) {
  if (buffer_.size() < kBufferSize) buffer_.resize(kBufferSize);
}

// Makes at least 4 bytes available unless the input has ended.
bool BitReader::FillBuffer() {
  std::size_t left = bufferEnd_ - bufferPos_;
  if (left > 0 && bufferPos_ > 0) std::memmove(buffer_.data(), buffer_.data() + bufferPos_, left);
  bufferPos_ = 0;
  bufferEnd_ = left;
  while (!inputEnded_ && bufferEnd_ < 4) {
    std::size_t got = input_.Read(buffer_.data() + bufferEnd_, buffer_.size() - bufferEnd_);
    if (got == 0) {
      inputEnded_ = true;
    } else {
      // A misbehaving source must not make us run past our own buffer.
      if (got > buffer_.size() - bufferEnd_) got = buffer_.size() - bufferEnd_;
      bufferEnd_ += got;
    }
  }
  return bufferEnd_ >= 4;
}

void BitReader::Refill() {
  if (bufferEnd_ - bufferPos_ >= 4 || FillBuffer()) {
    LoadWord();
    return;
  }
  // The data ends inside this word (or before it): the missing bytes read as zero.
  std::uint32_t word = 0;
  const std::size_t left = bufferEnd_ - bufferPos_;
  for (std::size_t i = 0; i < left; ++i)
    word |= static_cast<std::uint32_t>(buffer_[bufferPos_ + i]) << (8 * i);
  bufferPos_ = bufferEnd_;
  realBits_ += 8 * left;
  if (BitsConsumed() > realBits_) NoteTruncated(fault_, realBits_);
  bits_ |= static_cast<std::uint64_t>(word) << (32 - count_);
  count_ += 32;
  loadedBits_ += 32;
}

void BitReader::Finish() {
  if (BitsConsumed() > realBits_) NoteTruncated(fault_, realBits_);
}

}  // namespace pelmora::unace::decode
