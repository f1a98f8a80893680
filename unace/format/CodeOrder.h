// The order in which every ACE alphabet hands out its Huffman codes. Only
// code widths are transmitted; writer and reader both sort the (width,
// symbol) pairs by descending width with this one unstable quicksort and
// assign codes along the result, so its tie order is part of the format.
// Header only: the decoders and the writer's coders both need it, and the
// decoders sit below the rest of the library.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

namespace pelmora::unace::format {

struct WidthSymbol {
  std::uint8_t width;
  std::uint16_t symbol;
};

namespace detail {

// Rightmost element as pivot, Hoare-style partition, a special case for
// two-element ranges: step for step what the format's codes were made with.
inline void SortRangeByWidth(std::vector<WidthSymbol>& list, int lo, int hi) {
  const int pivot = list[hi].width;
  int i = lo;
  int j = hi;
  for (;;) {
    // The pivot itself (and after a swap the swapped elements) stop both
    // scans inside [lo, hi]; the guards only protect against a logic slip.
    while (i < hi && list[i].width > pivot) ++i;
    while (j > lo && list[j].width < pivot) --j;
    if (i <= j) {
      std::swap(list[i], list[j]);
      ++i;
      --j;
    }
    if (i >= j) break;
  }
  if (lo < j) {
    if (lo < j - 1)
      SortRangeByWidth(list, lo, j);
    else if (list[lo].width < list[j].width)
      std::swap(list[lo], list[j]);
  }
  if (i < hi) {
    if (i < hi - 1)
      SortRangeByWidth(list, i, hi);
    else if (list[i].width < list[hi].width)
      std::swap(list[i], list[hi]);
  }
}

}  // namespace detail

// Sorts by width, descending, in the format's tie order. The list must hold
// exactly the transmitted widths: trailing zeros change the order.
inline void SortByWidthDescending(std::vector<WidthSymbol>& list) {
  if (list.size() >= 2) detail::SortRangeByWidth(list, 0, static_cast<int>(list.size()) - 1);
}

}  // namespace pelmora::unace::format
