// The sliding dictionary shared by every mode: a ring buffer whose size is a
// power of two. It remembers how many bytes it has seen since it was last
// cleared, so that a back-reference can never reach bytes that were never
// written (stale bytes of an earlier archive, or zeros of a fresh buffer).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace unace::decode {

class Window {
 public:
  explicit Window(std::size_t capacity);  // a power of two

  std::size_t capacity() const { return mask_ + 1; }
  // Allocates the buffer on first use; throws std::bad_alloc.
  void allocate();
  bool allocated() const { return data_ != nullptr; }

  // Starts an empty history at the current position.
  void clear() { history_ = 0; }
  // Bytes a back-reference may reach (never more than the capacity).
  std::uint64_t history() const { return history_ < capacity() ? history_ : capacity(); }

  std::uint64_t position() const { return position_; }
  std::uint8_t* data() { return data_.get(); }
  const std::uint8_t* data() const { return data_.get(); }
  std::size_t mask() const { return mask_; }
  // Records bytes written directly into data() at the old position.
  void advance(std::size_t n) {
    position_ += n;
    history_ += n;
  }

  void put(std::uint8_t byte) {
    data_[position_ & mask_] = byte;
    advance(1);
  }
  void append(const std::uint8_t* bytes, std::size_t n);
  // Copies the n bytes that start at absolute position `from` (still inside
  // the ring) to `dst`.
  void copyOut(std::uint64_t from, std::size_t n, std::uint8_t* dst) const;

 private:
  std::size_t mask_;
  std::unique_ptr<std::uint8_t[]> data_;
  std::uint64_t position_ = 0;  // bytes ever written
  std::uint64_t history_ = 0;   // bytes written since clear()
};

}  // namespace unace::decode
