#include "acewriter/encode/MatchFinder.h"

#include <algorithm>
#include <cstring>

namespace acewriter::encode {
namespace {

// Room for new bytes beyond the kept dictionary: large enough that sliding
// (which rewrites all tables) stays rare even with tiny dictionaries.
constexpr std::size_t kMinFreshRoom = std::size_t{1} << 20;

}  // namespace

MatchFinder::MatchFinder(std::uint32_t dictionaryBits)
    : dictionarySize_(std::uint32_t{1} << dictionaryBits),
      dictionaryMask_(dictionarySize_ - 1),
      buffer_(dictionarySize_ + std::max<std::size_t>(dictionarySize_, kMinFreshRoom)),
      heads_(std::size_t{1} << kHashBits, 0),
      chain_(dictionarySize_, 0),
      pairs_(std::size_t{1} << 16, 0) {}

void MatchFinder::clear() {
  size_ = 0;
  position_ = 0;
  indexedUpTo_ = 0;
  std::fill(heads_.begin(), heads_.end(), 0);
  std::fill(pairs_.begin(), pairs_.end(), 0);
  // chain_ entries are only reached through heads_, so stale ones are harmless.
}

std::size_t MatchFinder::append(std::span<const std::uint8_t> bytes) {
  if (size_ + bytes.size() > buffer_.size() && position_ > dictionarySize_) slide(position_ - dictionarySize_);
  const std::size_t count = std::min(bytes.size(), buffer_.size() - size_);
  if (count > 0) std::memcpy(buffer_.data() + size_, bytes.data(), count);
  size_ += count;
  // Positions whose hash lacked bytes can be indexed now.
  advanceTo(position_);
  return count;
}

void MatchFinder::slide(std::size_t shift) {
  std::memmove(buffer_.data(), buffer_.data() + shift, size_ - shift);
  size_ -= shift;
  position_ -= shift;
  indexedUpTo_ -= std::min(indexedUpTo_, shift);
  const auto rebase = [shift](std::uint32_t& entry) { entry = entry > shift ? static_cast<std::uint32_t>(entry - shift) : 0; };
  std::for_each(heads_.begin(), heads_.end(), rebase);
  std::for_each(chain_.begin(), chain_.end(), rebase);
  std::for_each(pairs_.begin(), pairs_.end(), rebase);
  // The chain is indexed by position modulo the dictionary; shifting by a
  // non-multiple would scramble it, so rotate it along.
  const std::size_t rotation = shift & dictionaryMask_;
  if (rotation != 0) std::rotate(chain_.begin(), chain_.begin() + static_cast<std::ptrdiff_t>(rotation), chain_.end());
}

void MatchFinder::insert(std::size_t pos) {
  const std::uint8_t* p = buffer_.data() + pos;
  std::uint32_t& head = heads_[Hash3(p)];
  chain_[pos & dictionaryMask_] = head;
  head = static_cast<std::uint32_t>(pos + 1);
  pairs_[Pair(p)] = static_cast<std::uint32_t>(pos + 1);
}

void MatchFinder::advanceTo(std::size_t pos) {
  const std::size_t hashable = size_ >= 3 ? size_ - 2 : 0;
  const std::size_t end = std::min(pos, hashable);
  for (std::size_t i = indexedUpTo_; i < end; ++i) insert(i);
  indexedUpTo_ = std::max(indexedUpTo_, end);
  position_ = pos;
}

void MatchFinder::skipTo(std::size_t pos) {
  indexedUpTo_ = std::max(indexedUpTo_, pos);
  position_ = pos;
}

std::size_t MatchFinder::matchLength(std::size_t a, std::size_t b, std::size_t maxLength) const {
  const std::uint8_t* x = buffer_.data() + a;
  const std::uint8_t* y = buffer_.data() + b;
  std::size_t n = 0;
  while (n + 8 <= maxLength) {
    std::uint64_t u;
    std::uint64_t v;
    std::memcpy(&u, x + n, 8);
    std::memcpy(&v, y + n, 8);
    if (u != v) return n + static_cast<std::size_t>(__builtin_ctzll(u ^ v) >> 3);
    n += 8;
  }
  while (n < maxLength && x[n] == y[n]) ++n;
  return n;
}

}  // namespace acewriter::encode
