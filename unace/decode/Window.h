// The sliding dictionary shared by every mode: a ring buffer whose size is a
// power of two. It remembers how many bytes it has seen since it was last
// cleared, so that a back-reference can never reach bytes that were never
// written (stale bytes of an earlier archive, or uninitialised memory).
//
// The ring starts small and doubles as history accumulates, up to its
// largest capacity: a small archive never pays for a 4 MiB dictionary. While
// it grows it keeps every byte written since the last clear, so what a
// back-reference may reach is the same as if the largest ring had been there
// from the start.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace pelmora::unace::decode {

class Window {
 public:
  explicit Window(std::size_t largestCapacity);  // a power of two

  // The current ring size; 0 until the first byte is reserved.
  std::size_t Capacity() const { return data_ ? mask_ + 1 : 0; }
  std::size_t LargestCapacity() const { return largestCapacity_; }

  // Makes room for n more bytes without losing any byte of the history that
  // the largest ring would still hold; grows the ring. False when the larger
  // ring cannot be had: an archive decides its size (up to 4 MiB), so that
  // is an answer (out of memory), not the end of the process. The ring is
  // unchanged then.
  bool Reserve(std::size_t n) {
    if (history_ + n > growAbove_) return Grow(n);
    return true;
  }

  // Starts an empty history at the current position.
  void Clear() { history_ = 0; }
  // Starts an empty history at position 0, as a fresh window would; the ring
  // keeps its size for reuse.
  void Rewind() {
    position_ = 0;
    history_ = 0;
  }
  // Bytes a back-reference may reach (never more than the largest capacity).
  std::uint64_t History() const {
    return history_ < largestCapacity_ ? history_ : largestCapacity_;
  }

  std::uint64_t Position() const { return position_; }
  std::uint8_t* Data() { return data_.get(); }
  const std::uint8_t* Data() const { return data_.get(); }
  std::size_t Mask() const { return mask_; }
  // Records bytes written directly into data() at the old position, after a
  // reserve() that covered them.
  void Advance(std::size_t n) {
    position_ += n;
    history_ += n;
  }

  // False, with nothing written, when the ring cannot grow (see Reserve).
  bool Append(const std::uint8_t* bytes, std::size_t n);
  // Copies the n bytes that start at absolute position `from` (still inside
  // the ring) to `dst`.
  void CopyOut(std::uint64_t from, std::size_t n, std::uint8_t* dst) const;

 private:
  bool Grow(std::size_t n);

  std::size_t largestCapacity_;
  std::size_t mask_ = 0;
  std::unique_ptr<std::uint8_t[]> data_;
  // reserve() grows when the history would pass this: the ring size while it
  // can still grow, then never.
  std::uint64_t growAbove_ = 0;
  std::uint64_t position_ = 0;  // bytes ever written
  std::uint64_t history_ = 0;   // bytes written since clear()
};

}  // namespace pelmora::unace::decode
