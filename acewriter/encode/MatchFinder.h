// The LZ77 window of the compressor with its hash chains. It holds the last
// dictionary's worth of bytes before the coding position plus the bytes not
// yet coded; when full it slides, keeping one dictionary of history.
#pragma once

#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <cstring>
#include <span>
#include <vector>

namespace pelmora::acewriter::encode {

class MatchFinder {
 public:
  // `thorough` keeps binary trees instead of hash chains (InsertAndFind
  // instead of ForEachCandidate) and adds the tables behind RecentTriple
  // and RecentLong.
  explicit MatchFinder(std::uint32_t dictionaryBits, bool thorough = false);

  // Forgets every byte (a new, non-solid member).
  void Clear();

  // Appends as many bytes as fit (sliding out history older than one
  // dictionary before the coding position first) and returns that count.
  std::size_t Append(std::span<const std::uint8_t> bytes);

  const std::uint8_t* Data() const { return buffer_.data(); }
  std::size_t Size() const { return size_; }
  std::uint32_t DictionarySize() const { return dictionarySize_; }

  // Greatest distance a match at `pos` may use: the dictionary, or fewer
  // bytes if the window holds less.
  std::uint32_t MaxDistance(std::size_t pos) const {
    return pos < dictionarySize_ ? static_cast<std::uint32_t>(pos) : dictionarySize_;
  }

  // Replaces the newest bytes of the window by the tail of `bytes` (same
  // count as were appended last). Hash entries of the old bytes stay; they
  // only cost a failed comparison.
  void OverwriteNewest(std::span<const std::uint8_t> bytes);

  // Makes every position before `pos` findable (hashing those with three
  // bytes present) and marks `pos` as the coding position.
  void AdvanceTo(std::size_t pos);
  // Moves the coding position to `pos` without indexing the bytes passed.
  void SkipTo(std::size_t pos);
  std::size_t Position() const { return position_; }

  // Chain walk: calls visit(candidate) for earlier positions with the
  // same 4-byte hash, nearest first, until visit returns false, the chain
  // ends or maxSteps candidates were seen. Requires pos + 4 <= size() and
  // a MatchFinder that is not thorough (that one keeps trees instead).
  template <typename Visit>
  void ForEachCandidate(std::size_t pos, unsigned maxSteps, Visit&& visit) const {
    const std::uint32_t limit = MaxDistance(pos);
    const std::uint32_t here = Absolute(pos);
    std::uint32_t entry = heads_[Hash4(buffer_.data() + pos)];
    std::uint32_t last = here;
    while (maxSteps-- > 0 && entry >= validFrom_ && entry < last && here - entry <= limit) {
      // The walk waits on memory; ask for the next link while comparing.
      __builtin_prefetch(&chain_[entry & dictionaryMask_]);
      if (!visit(static_cast<std::size_t>(entry - base_))) return;
      last = entry;
      entry = chain_[entry & dictionaryMask_];
    }
  }

  // The latest earlier position starting with the same two bytes, if it is
  // within `maxBack` bytes; otherwise SIZE_MAX.
  std::size_t RecentPair(std::size_t pos, std::size_t maxBack) const {
    return Recent(pairs_[Pair(buffer_.data() + pos)], pos, maxBack);
  }

  // For the thorough search (MatchFinder built with `thorough`):
  // the latest earlier position with the same first three bytes, within
  // `maxBack`, and the latest with the same kLongBytes bytes anywhere in
  // the window (most likely: both are hashed); otherwise SIZE_MAX.
  static constexpr std::size_t kLongBytes = 16;
  std::size_t RecentTriple(std::size_t pos, std::size_t maxBack) const {
    return Recent(triples_.empty() ? 0 : triples_[Triple(buffer_.data() + pos)], pos, maxBack);
  }
  std::size_t RecentLong(std::size_t pos) const {
    return Recent(longs_.empty() ? 0 : longs_[LongHash(buffer_.data() + pos)], pos, SIZE_MAX);
  }

  // What the thorough search compares and visits at most per position
  // (on x86-64 programs 24 and 96 nodes came within 0.03 % of 48). Two
  // positions alike for 64 bytes count as the same place in the tree; the
  // parse measures the match further itself. Comparing up to 128 bytes
  // took 6 % more time in long repeated stretches for no gain.
  static constexpr std::size_t kTreeLength = 64;
  static constexpr unsigned kTreeDepth = 48;
  bool Thorough() const { return !tree_.empty(); }

  // The thorough search's binary trees (one per 4-byte hash, every
  // position sorted by the bytes that follow it). A chain walk sees only
  // the latest few dozen positions of a hash, which in UTF-16 text or
  // debug information are mostly short matches; the tree leads straight to
  // the longest ones (x86-64 programs: 0.7 % smaller, and faster than
  // walking 32 chain links). Puts `pos` into its tree
  // and calls found(candidate, length) for earlier positions with ever
  // longer matches (length: as far as compared, at most `lengthLimit`
  // bytes, so a longer match may go on), visiting at most
  // `depth` nodes. Requires a thorough MatchFinder, every position before
  // `pos` indexed (AdvanceTo) and pos + 4 <= Size().
  template <typename Found>
  void InsertAndFind(std::size_t pos, std::size_t lengthLimit, unsigned depth, Found&& found) {
    treeFrom_ = Absolute(pos) + 1;
    Tree(pos, std::min(lengthLimit, size_ - pos), depth, found);
  }

  // Number of equal bytes at a and b (a < b), at most maxLength. Inline:
  // the trees and the parse ask millions of times, mostly for a few bytes
  // (7 % of level 5's time went into the calls).
  std::size_t MatchLength(std::size_t a, std::size_t b, std::size_t maxLength) const {
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

 private:
  // Chains link positions with equal 4-byte prefixes: far matches need 4
  // bytes anyway, and shorter near ones are found through the pair table.
  std::uint32_t Hash4(const std::uint8_t* p) const {
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return (v * 2654435761u) >> hashShift_;
  }
  // Repeated stretches of a solid archive (the same library code or debug
  // information in several programs) lie far back, behind more 4-byte
  // chain entries than a walk takes; a hash of 16 bytes finds them.
  std::uint32_t LongHash(const std::uint8_t* p) const {
    std::uint64_t a;
    std::uint64_t b;
    std::memcpy(&a, p, 8);
    std::memcpy(&b, p + 8, 8);
    return static_cast<std::uint32_t>(((a * 0x9E3779B97F4A7C15ull) ^ (b * 0xC2B2AE3D27D4EB4Full)) >>
                                      longShift_);
  }
  // 3-byte matches pay off only near (NewDistanceBase), where the chains,
  // keyed on 4 bytes, do not see them.
  static std::uint32_t Triple(const std::uint8_t* p) {
    const std::uint32_t v =
        std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16;
    return (v * 2654435761u) >> 16;
  }
  // The table entry `entry` as a position before `pos` within `maxBack`
  // and the window, or SIZE_MAX.
  std::size_t Recent(std::uint32_t entry, std::size_t pos, std::size_t maxBack) const {
    const std::uint32_t here = Absolute(pos);
    if (entry < validFrom_ || entry >= here || here - entry > maxBack ||
        here - entry > MaxDistance(pos))
      return SIZE_MAX;
    return static_cast<std::size_t>(entry - base_);
  }
  static std::uint32_t Pair(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8;
  }
  void Insert(std::size_t pos);
  template <typename Found>
  void Tree(std::size_t pos, std::size_t lengthLimit, unsigned depth, Found&& found) {
    const std::uint8_t* data = buffer_.data();
    const std::uint32_t here = Absolute(pos);
    const std::uint32_t limit = MaxDistance(pos);
    std::uint32_t& head = heads_[Hash4(data + pos)];
    std::uint32_t node = head;
    head = here;
    // The two places waiting for the nearest node below and above `pos`.
    std::uint32_t* below = &tree_[2 * (here & dictionaryMask_)];
    std::uint32_t* above = below + 1;
    std::size_t belowLength = 0;  // bytes every node below still shares with pos
    std::size_t aboveLength = 0;
    std::size_t best = 0;
    while (depth-- > 0 && node >= validFrom_ && node < here && here - node <= limit) {
      const std::size_t at = node - base_;
      std::uint32_t* children = &tree_[2 * (node & dictionaryMask_)];
      std::size_t length = std::min(belowLength, aboveLength);
      length += MatchLength(at + length, pos + length, lengthLimit - length);
      if (length > best) {
        best = length;
        found(at, length);
      }
      if (length >= lengthLimit) {
        // Equal as far as we look: the node's subtrees become pos's.
        *below = children[0];
        *above = children[1];
        return;
      }
      if (data[at + length] < data[pos + length]) {
        *below = node;
        below = children + 1;
        node = *below;
        belowLength = length;
      } else {
        *above = node;
        above = children;
        node = *above;
        aboveLength = length;
      }
    }
    *below = 0;
    *above = 0;
  }
  void Slide(std::size_t shift);
  std::uint32_t Absolute(std::size_t pos) const { return base_ + static_cast<std::uint32_t>(pos); }
  void Renumber();

  std::uint32_t dictionarySize_;
  std::uint32_t dictionaryMask_;
  unsigned hashShift_;
  unsigned longShift_;
  std::size_t capacity_;  // the buffer grows up to this
  std::vector<std::uint8_t> buffer_;
  std::size_t size_ = 0;
  std::size_t position_ = 0;
  std::size_t indexedUpTo_ = 0;  // positions below were hashed (or skipped)
  // The tables hold absolute positions (buffer index + base_), so sliding
  // and clearing touch no table; entries below validFrom_ are stale.
  std::uint32_t base_ = 1;
  std::uint32_t validFrom_ = 1;
  std::vector<std::uint32_t> heads_;
  std::vector<std::uint32_t> chain_;
  std::vector<std::uint32_t> pairs_;
  std::vector<std::uint32_t> tree_;     // two children per position, if thorough
  std::uint32_t treeFrom_ = 0;          // positions below are in the trees
  std::vector<std::uint32_t> triples_;  // empty unless thorough
  std::vector<std::uint32_t> longs_;    // empty unless thorough
};

}  // namespace pelmora::acewriter::encode
