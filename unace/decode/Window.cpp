#include "unace/decode/Window.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

namespace pelmora::unace::decode {

namespace {
// Small enough that a tiny member costs next to nothing, large enough that a
// big one needs few doublings on its way to the full dictionary.
constexpr std::size_t kFirstCapacity = 4096;
}  // namespace

Window::Window(std::size_t largestCapacity) : largestCapacity_(largestCapacity) {}

bool Window::Grow(std::size_t n) {
  const std::uint64_t needed = std::min<std::uint64_t>(history_ + n, largestCapacity_);
  std::size_t capacity = std::min(std::max(kFirstCapacity, 2 * this->Capacity()), largestCapacity_);
  while (capacity < needed) capacity *= 2;
  if (capacity > this->Capacity()) {
    // Not zeroed: history() keeps every read inside bytes that were written.
    std::unique_ptr<std::uint8_t[]> bigger(new (std::nothrow) std::uint8_t[capacity]);
    if (!bigger) return false;
    const std::size_t newMask = capacity - 1;
    // The kept bytes keep their absolute positions, so their place in the
    // larger ring differs wherever they wrapped around the smaller one.
    const std::uint64_t kept = History();
    for (std::uint64_t at = position_ - kept; at < position_;) {
      const std::size_t from = static_cast<std::size_t>(at) & mask_;
      const std::size_t to = static_cast<std::size_t>(at) & newMask;
      const std::size_t piece = static_cast<std::size_t>(
          std::min<std::uint64_t>({position_ - at, mask_ + 1 - from, capacity - to}));
      std::memcpy(bigger.get() + to, data_.get() + from, piece);
      at += piece;
    }
    data_ = std::move(bigger);
    mask_ = newMask;
  }
  growAbove_ = capacity < largestCapacity_ ? capacity : std::numeric_limits<std::uint64_t>::max();
  return true;
}

bool Window::Append(const std::uint8_t* bytes, std::size_t n) {
  if (!Reserve(n)) return false;
  // Only the last `capacity` bytes can matter.
  const std::size_t capacity = mask_ + 1;
  if (n > capacity) {
    Advance(n - capacity);
    bytes += n - capacity;
    n = capacity;
  }
  while (n > 0) {
    const std::size_t at = position_ & mask_;
    const std::size_t piece = std::min(n, capacity - at);
    std::memcpy(data_.get() + at, bytes, piece);
    Advance(piece);
    bytes += piece;
    n -= piece;
  }
  return true;
}

void Window::CopyOut(std::uint64_t from, std::size_t n, std::uint8_t* dst) const {
  const std::size_t capacity = mask_ + 1;
  while (n > 0) {
    const std::size_t at = from & mask_;
    const std::size_t piece = std::min(n, capacity - at);
    std::memcpy(dst, data_.get() + at, piece);
    from += piece;
    dst += piece;
    n -= piece;
  }
}

}  // namespace pelmora::unace::decode
