#include "unace/decode/Window.h"

#include <algorithm>
#include <cstring>

namespace unace::decode {

Window::Window(std::size_t capacity) : mask_(capacity - 1) {}

void Window::allocate() {
  if (!data_) data_ = std::make_unique<std::uint8_t[]>(capacity());
}

void Window::append(const std::uint8_t* bytes, std::size_t n) {
  // Only the last `capacity` bytes can matter.
  if (n > capacity()) {
    advance(n - capacity());
    bytes += n - capacity();
    n = capacity();
  }
  while (n > 0) {
    const std::size_t at = position_ & mask_;
    const std::size_t piece = std::min(n, capacity() - at);
    std::memcpy(data_.get() + at, bytes, piece);
    advance(piece);
    bytes += piece;
    n -= piece;
  }
}

void Window::copyOut(std::uint64_t from, std::size_t n, std::uint8_t* dst) const {
  while (n > 0) {
    const std::size_t at = from & mask_;
    const std::size_t piece = std::min(n, capacity() - at);
    std::memcpy(dst, data_.get() + at, piece);
    from += piece;
    dst += piece;
    n -= piece;
  }
}

}  // namespace unace::decode
