#include "acewriter/encode/HuffmanCode.h"

#include <algorithm>
#include <numeric>
#include <stdexcept>
#include <string>

#include "unace/format/CodeOrder.h"

namespace pelmora::acewriter::encode {
namespace {

struct Item {
  std::uint64_t weight;
  bool isLeaf;
};

}  // namespace

std::vector<std::uint8_t> BuildWidths(std::span<const std::uint32_t> frequencies,
                                      unsigned maxWidth) {
  std::vector<std::uint8_t> widths(frequencies.size(), 0);
  std::vector<std::uint16_t> used;
  for (std::size_t s = 0; s < frequencies.size(); ++s)
    if (frequencies[s] != 0) used.push_back(static_cast<std::uint16_t>(s));
  if (used.empty()) return widths;
  if (used.size() <= 2) {
    for (auto s : used) widths[s] = 1;
    return widths;
  }
  if (maxWidth >= 32 || (std::size_t{1} << maxWidth) < used.size())
    throw std::logic_error("BuildWidths: " + std::to_string(used.size()) +
                           " symbols do not fit into codes of " + std::to_string(maxWidth) +
                           " bits");

  std::stable_sort(used.begin(), used.end(), [&](std::uint16_t a, std::uint16_t b) {
    return frequencies[a] < frequencies[b];
  });
  const std::size_t n = used.size();

  // Package-merge. levels[0] holds the leaves alone (the deepest level);
  // each higher level merges the leaves with the pairs of the level below.
  // Only the leaf/package pattern of each level is needed to count how
  // often every leaf is chosen, which is its code width.
  std::vector<std::vector<Item>> levels(maxWidth);
  levels[0].reserve(n);
  for (auto s : used) levels[0].push_back({frequencies[s], true});
  for (unsigned level = 1; level < maxWidth; ++level) {
    const auto& below = levels[level - 1];
    auto& merged = levels[level];
    merged.reserve(n + below.size() / 2);
    std::size_t leaf = 0;
    std::size_t pair = 0;
    const std::size_t pairs = below.size() / 2;
    while (leaf < n || pair < pairs) {
      const bool takeLeaf =
          pair >= pairs || (leaf < n && levels[0][leaf].weight <=
                                            below[2 * pair].weight + below[2 * pair + 1].weight);
      if (takeLeaf) {
        merged.push_back({levels[0][leaf].weight, true});
        ++leaf;
      } else {
        merged.push_back({below[2 * pair].weight + below[2 * pair + 1].weight, false});
        ++pair;
      }
    }
  }

  std::vector<unsigned> depth(n, 0);
  std::size_t take = 2 * n - 2;
  for (unsigned level = maxWidth; level-- > 0;) {
    const auto& items = levels[level];
    std::size_t leaves = 0;
    for (std::size_t i = 0; i < take && i < items.size(); ++i)
      if (items[i].isLeaf) ++depth[leaves++];
    take = 2 * (take - leaves);
  }
  for (std::size_t i = 0; i < n; ++i) widths[used[i]] = static_cast<std::uint8_t>(depth[i]);
  return widths;
}

namespace {

// The reader's order of the (width, symbol) pairs, computed by the very
// function the reader uses.
std::vector<unace::format::WidthSymbol> SortedPairs(std::span<const std::uint8_t> widths) {
  std::vector<unace::format::WidthSymbol> list(widths.size());
  for (std::size_t s = 0; s < widths.size(); ++s)
    list[s] = {widths[s], static_cast<std::uint16_t>(s)};
  unace::format::SortByWidthDescending(list);
  return list;
}

}  // namespace

std::vector<std::uint16_t> ReaderSortOrder(std::span<const std::uint8_t> widths) {
  std::vector<std::uint16_t> order;
  for (const auto& pair : SortedPairs(widths)) order.push_back(pair.symbol);
  return order;
}

std::vector<std::uint16_t> ReaderCodes(std::span<const std::uint8_t> widths, unsigned maxWidth) {
  std::vector<std::uint16_t> codes(widths.size(), 0);
  const auto list = SortedPairs(widths);
  std::size_t used = 0;
  while (used < list.size() && list[used].width != 0) ++used;
  if (used < 2) return codes;  // a lone symbol is the one-bit code 0

  std::uint32_t next = 0;
  const std::uint32_t limit = std::uint32_t{1} << maxWidth;
  for (std::size_t k = used; k-- > 0;) {
    const auto [w, s] = list[k];
    if (w > maxWidth)
      throw std::logic_error("ReaderCodes: width " + std::to_string(w) + " of symbol " +
                             std::to_string(s) + " exceeds " + std::to_string(maxWidth));
    const std::uint32_t span = std::uint32_t{1} << (maxWidth - w);
    if (next + span > limit)
      throw std::logic_error("ReaderCodes: over-full code at symbol " + std::to_string(s));
    codes[s] = static_cast<std::uint16_t>(next >> (maxWidth - w));
    next += span;
  }
  return codes;
}

}  // namespace pelmora::acewriter::encode
