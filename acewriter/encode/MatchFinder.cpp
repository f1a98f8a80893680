#include "acewriter/encode/MatchFinder.h"

#include <algorithm>
#include <cstring>

namespace pelmora::acewriter::encode {
namespace {

// Room for new bytes beyond the kept dictionary: large enough that sliding
// (which rewrites all tables) stays rare even with tiny dictionaries.
constexpr std::size_t kMinFreshRoom = std::size_t{1} << 20;
// Small dictionaries need few hash heads; large ones about one per 4 bytes
// (a 4 MiB window with fewer heads walks mostly colliding chains: a quarter
// of the heads took half again the time and lost matches).
unsigned HashBits(std::uint32_t dictionaryBits) {
  return dictionaryBits > 20 ? dictionaryBits - 2 : std::clamp<unsigned>(dictionaryBits, 12, 18);
}

// Absolute positions are renumbered long before they could wrap.
constexpr std::uint32_t kRenumberAbove = 0xC0000000u;

}  // namespace

MatchFinder::MatchFinder(std::uint32_t dictionaryBits, bool thorough)
    : dictionarySize_(std::uint32_t{1} << dictionaryBits),
      dictionaryMask_(dictionarySize_ - 1),
      hashShift_(32 - HashBits(dictionaryBits)),
      longShift_(64 - HashBits(dictionaryBits)),
      capacity_(dictionarySize_ + std::max<std::size_t>(dictionarySize_, kMinFreshRoom)),
      heads_(std::size_t{1} << HashBits(dictionaryBits), 0),
      chain_(thorough ? 0 : dictionarySize_, 0),
      pairs_(std::size_t{1} << 16, 0),
      tree_(thorough ? 2 * std::size_t{dictionarySize_} : 0, 0),
      triples_(thorough ? std::size_t{1} << 16 : 0, 0),
      longs_(thorough ? std::size_t{1} << HashBits(dictionaryBits) : 0, 0) {}

void MatchFinder::Clear() {
  base_ += static_cast<std::uint32_t>(size_);
  validFrom_ = base_;
  size_ = 0;
  position_ = 0;
  indexedUpTo_ = 0;
  if (base_ > kRenumberAbove) Renumber();
}

void MatchFinder::Renumber() {
  // Shift all absolute positions down so they never wrap; entries that
  // would fall below 1 are stale anyway.
  const std::uint32_t shift = validFrom_ - 1;
  const auto rebase = [shift](std::uint32_t& entry) { entry = entry > shift ? entry - shift : 0; };
  std::for_each(heads_.begin(), heads_.end(), rebase);
  std::for_each(pairs_.begin(), pairs_.end(), rebase);
  std::for_each(triples_.begin(), triples_.end(), rebase);
  std::for_each(longs_.begin(), longs_.end(), rebase);
  // The chain is indexed by absolute position modulo the dictionary.
  std::vector<std::uint32_t> moved(chain_.size());
  for (std::size_t i = 0; i < chain_.size(); ++i) {
    std::uint32_t entry = chain_[i];
    rebase(entry);
    moved[(i - shift) & dictionaryMask_] = entry;
  }
  chain_ = std::move(moved);
  std::vector<std::uint32_t> movedTree(tree_.size());
  for (std::size_t i = 0; i < tree_.size(); ++i) {
    std::uint32_t entry = tree_[i];
    rebase(entry);
    movedTree[((i / 2 - shift) & dictionaryMask_) * 2 + i % 2] = entry;
  }
  tree_ = std::move(movedTree);
  rebase(treeFrom_);
  base_ -= shift;
  validFrom_ -= shift;
}

std::size_t MatchFinder::Append(std::span<const std::uint8_t> bytes) {
  if (size_ + bytes.size() > buffer_.size() && buffer_.size() < capacity_) {
    // Grown on demand, so that small members never pay for a large buffer.
    const std::size_t wanted =
        std::max({size_ + bytes.size(), 2 * buffer_.size(), std::size_t{1} << 16});
    buffer_.resize(std::min(capacity_, wanted));
  }
  if (size_ + bytes.size() > buffer_.size() && position_ > dictionarySize_)
    Slide(position_ - dictionarySize_);
  const std::size_t count = std::min(bytes.size(), buffer_.size() - size_);
  if (count > 0) std::memcpy(buffer_.data() + size_, bytes.data(), count);
  size_ += count;
  // Positions whose hash lacked bytes can be indexed now.
  AdvanceTo(position_);
  return count;
}

void MatchFinder::Slide(std::size_t shift) {
  std::memmove(buffer_.data(), buffer_.data() + shift, size_ - shift);
  size_ -= shift;
  position_ -= shift;
  indexedUpTo_ -= std::min(indexedUpTo_, shift);
  base_ += static_cast<std::uint32_t>(shift);
  validFrom_ = std::max(validFrom_, base_);
  if (base_ > kRenumberAbove) Renumber();
}

void MatchFinder::Insert(std::size_t pos) {
  const std::uint8_t* p = buffer_.data() + pos;
  const std::uint32_t at = Absolute(pos);
  if (!tree_.empty()) {
    if (at >= treeFrom_) {
      treeFrom_ = at + 1;
      Tree(pos, std::min<std::size_t>(kTreeLength, size_ - pos), kTreeDepth,
           [](std::size_t, std::size_t) {});
    }
  } else {
    std::uint32_t& head = heads_[Hash4(p)];
    chain_[at & dictionaryMask_] = head;
    head = at;
  }
  pairs_[Pair(p)] = at;
  if (!triples_.empty()) triples_[Triple(p)] = at;
  if (!longs_.empty() && pos + kLongBytes <= size_) longs_[LongHash(p)] = at;
}

void MatchFinder::OverwriteNewest(std::span<const std::uint8_t> bytes) {
  const std::size_t n = std::min(bytes.size(), size_);
  std::memcpy(buffer_.data() + size_ - n, bytes.data() + (bytes.size() - n), n);
}

void MatchFinder::AdvanceTo(std::size_t pos) {
  const std::size_t hashable = size_ >= 4 ? size_ - 3 : 0;
  const std::size_t end = std::min(pos, hashable);
  for (std::size_t i = indexedUpTo_; i < end; ++i) Insert(i);
  indexedUpTo_ = std::max(indexedUpTo_, end);
  position_ = pos;
}

void MatchFinder::SkipTo(std::size_t pos) {
  indexedUpTo_ = std::max(indexedUpTo_, pos);
  position_ = pos;
}

}  // namespace pelmora::acewriter::encode
