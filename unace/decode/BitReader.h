// Bits of a member's packed data: 32-bit little-endian words, each read from
// its most significant bit down. A 64-bit buffer is topped up one word at a
// time, so after ensure() at least 32 bits can be peeked. Past the end of the
// data the reader supplies zero bits for peeking, but consuming them is a
// fault: it is noted at the next top-up and by Finish(), and the zero bits
// keep coming, so that whatever reads on stays in bounds until it looks at
// Failed().
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "unace/decode/Decoder.h"
#include "unace/decode/Fault.h"

namespace pelmora::unace::decode {

class BitReader {
 public:
  // With a buffer and a fault state of its own.
  explicit BitReader(PackedInput& input);
  // Reads through `buffer`, which outlives the reader, so that a decoder of
  // many members allocates it once, and notes faults in `fault`, which the
  // member's output sink shares.
  BitReader(PackedInput& input, std::vector<std::uint8_t>& buffer, FaultState& fault);

  // Afterwards at least 32 bits are buffered.
  void Ensure() {
    if (count_ >= 32) return;
    // The common case stays inline; the slow path handles the buffer's end.
    if (bufferEnd_ - bufferPos_ >= 4)
      LoadWord();
    else
      Refill();
  }
  // The next n bits (1..32) without consuming them; call ensure() first.
  std::uint32_t Peek(int n) const { return static_cast<std::uint32_t>(bits_ >> (64 - n)); }
  void Skip(int n) {
    bits_ <<= n;
    count_ -= n;
  }
  // Reads n bits (0..32).
  std::uint32_t Read(int n) {
    if (n == 0) return 0;
    Ensure();
    std::uint32_t v = Peek(n);
    Skip(n);
    return v;
  }
  bool ReadBit() { return Read(1) != 0; }

  // Notes Corrupt if more bits were consumed than the data holds.
  void Finish();

  FaultState& Fault() const { return fault_; }
  bool Failed() const { return fault_.Failed(); }

  // Whole bytes buffered beyond the bit buffer: while at least 8 are, a
  // decoder may read two top-ups' worth through a FastBits without a check.
  std::size_t BufferedBytes() const { return bufferEnd_ - bufferPos_; }
  std::uint64_t BitsConsumed() const { return loadedBits_ - static_cast<std::uint64_t>(count_); }

 private:
  friend class FastBits;
  void Refill();
  bool FillBuffer();
  // Moves the next four buffered bytes into the bit buffer.
  void LoadWord() {
    const std::uint8_t* p = buffer_.data() + bufferPos_;
    const std::uint32_t word =
        static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
        static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
    bufferPos_ += 4;
    realBits_ += 32;
    bits_ |= static_cast<std::uint64_t>(word) << (32 - count_);
    count_ += 32;
    loadedBits_ += 32;
  }

  PackedInput& input_;
  FaultState ownFault_;
  FaultState& fault_;  // ownFault_ or the caller's
  std::vector<std::uint8_t> ownBuffer_;
  std::vector<std::uint8_t>& buffer_;  // ownBuffer_ or the caller's
  std::size_t bufferPos_ = 0;
  std::size_t bufferEnd_ = 0;
  bool inputEnded_ = false;
  std::uint64_t bits_ = 0;  // left-aligned: the next bit is bit 63
  int count_ = 0;
  std::uint64_t loadedBits_ = 0;  // real and padding bits moved into bits_
  std::uint64_t realBits_ = 0;    // bits that came from the input
};

// The reader's state held in a decoder's own local variables for its
// innermost loop. The loop writes output bytes through a byte pointer, which
// may alias anything: with the state in the reader the compiler would store
// and reload it after every symbol. Same interface as the reader, but
// Ensure() does not look at the buffer's end: the caller takes no more
// than SafeSteps() steps of at most two top-ups each. The state goes back to the
// reader on destruction.
class FastBits {
 public:
  explicit FastBits(BitReader& reader)
      : reader_(reader),
        bits_(reader.bits_),
        count_(reader.count_),
        next_(reader.buffer_.data() + reader.bufferPos_),
        end_(reader.buffer_.data() + reader.bufferEnd_),
        start_(next_) {}
  ~FastBits() {
    const std::size_t taken = static_cast<std::size_t>(next_ - start_);
    reader_.bits_ = bits_;
    reader_.count_ = count_;
    reader_.bufferPos_ += taken;
    reader_.realBits_ += 8 * taken;
    reader_.loadedBits_ += 8 * taken;
  }
  FastBits(const FastBits&) = delete;
  FastBits& operator=(const FastBits&) = delete;

  // How many steps of at most two top-ups each can be taken without a check.
  std::size_t SafeSteps() const { return static_cast<std::size_t>(end_ - next_) / 8; }
  void Ensure() {
    if (count_ >= 32) return;
    const std::uint32_t word =
        static_cast<std::uint32_t>(next_[0]) | static_cast<std::uint32_t>(next_[1]) << 8 |
        static_cast<std::uint32_t>(next_[2]) << 16 | static_cast<std::uint32_t>(next_[3]) << 24;
    next_ += 4;
    bits_ |= static_cast<std::uint64_t>(word) << (32 - count_);
    count_ += 32;
  }
  std::uint32_t Peek(int n) const { return static_cast<std::uint32_t>(bits_ >> (64 - n)); }
  void Skip(int n) {
    bits_ <<= n;
    count_ -= n;
  }
  FaultState& Fault() const { return reader_.Fault(); }

 private:
  BitReader& reader_;
  std::uint64_t bits_;
  int count_;
  const std::uint8_t* next_;
  const std::uint8_t* end_;
  const std::uint8_t* start_;
};

}  // namespace pelmora::unace::decode
