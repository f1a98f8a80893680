// The LZ77 window of the compressor with its hash chains. It holds the last
// dictionary's worth of bytes before the coding position plus the bytes not
// yet coded; when full it slides, keeping one dictionary of history.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace acewriter::encode {

class MatchFinder {
 public:
  explicit MatchFinder(std::uint32_t dictionaryBits);

  // Forgets every byte (a new, non-solid member).
  void clear();

  // Appends as many bytes as fit (sliding out history older than one
  // dictionary before the coding position first) and returns that count.
  std::size_t append(std::span<const std::uint8_t> bytes);

  const std::uint8_t* data() const { return buffer_.data(); }
  std::size_t size() const { return size_; }
  std::uint32_t dictionarySize() const { return dictionarySize_; }

  // Greatest distance a match at `pos` may use: the dictionary, or fewer
  // bytes if the window holds less.
  std::uint32_t maxDistance(std::size_t pos) const {
    return pos < dictionarySize_ ? static_cast<std::uint32_t>(pos) : dictionarySize_;
  }

  // Makes every position before `pos` findable (hashing those with three
  // bytes present) and marks `pos` as the coding position.
  void advanceTo(std::size_t pos);
  // Moves the coding position to `pos` without indexing the bytes passed.
  void skipTo(std::size_t pos);
  std::size_t position() const { return position_; }

  // Chain walk: calls visit(candidatePos) for earlier positions with the
  // same 3-byte hash, nearest first, until visit returns false, the chain
  // ends or maxSteps candidates were seen. Requires pos + 3 <= size().
  template <typename Visit>
  void forEachCandidate(std::size_t pos, unsigned maxSteps, Visit&& visit) const {
    const std::uint32_t limit = maxDistance(pos);
    std::uint32_t entry = heads_[Hash3(buffer_.data() + pos)];
    std::size_t last = pos;
    while (entry != 0 && maxSteps-- > 0) {
      const std::size_t candidate = entry - 1;
      if (candidate >= last || pos - candidate > limit) return;
      if (!visit(candidate)) return;
      last = candidate;
      entry = chain_[candidate & dictionaryMask_];
    }
  }

  // The latest earlier position starting with the same two bytes, if it is
  // within `maxBack` bytes; otherwise SIZE_MAX.
  std::size_t recentPair(std::size_t pos, std::size_t maxBack) const {
    const std::uint32_t entry = pairs_[Pair(buffer_.data() + pos)];
    if (entry == 0) return SIZE_MAX;
    const std::size_t candidate = entry - 1;
    if (candidate >= pos || pos - candidate > maxBack || pos - candidate > maxDistance(pos)) return SIZE_MAX;
    return candidate;
  }

  // Number of equal bytes at a and b (a < b), at most maxLength.
  std::size_t matchLength(std::size_t a, std::size_t b, std::size_t maxLength) const;

 private:
  static constexpr unsigned kHashBits = 17;
  static std::uint32_t Hash3(const std::uint8_t* p) {
    const std::uint32_t v = std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16;
    return (v * 2654435761u) >> (32 - kHashBits);
  }
  static std::uint32_t Pair(const std::uint8_t* p) { return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8; }
  void insert(std::size_t pos);
  void slide(std::size_t shift);

  std::uint32_t dictionarySize_;
  std::uint32_t dictionaryMask_;
  std::vector<std::uint8_t> buffer_;
  std::size_t size_ = 0;
  std::size_t position_ = 0;
  std::size_t indexedUpTo_ = 0;  // positions below were hashed (or skipped)
  // Entries are buffer index + 1; 0 means none.
  std::vector<std::uint32_t> heads_;
  std::vector<std::uint32_t> chain_;
  std::vector<std::uint32_t> pairs_;
};

}  // namespace acewriter::encode
