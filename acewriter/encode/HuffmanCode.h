// Huffman codes as every ACE alphabet uses them: only the code widths are
// transmitted, and both sides derive the codes from the widths with the
// reader's own (unstable, order-sensitive) sort. The writer must therefore
// run exactly that sort over exactly the width array the reader rebuilds.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace pelmora::acewriter::encode {

// Optimal code widths no longer than maxWidth for the given symbol
// frequencies (package-merge). Unused symbols get width 0; a lone used
// symbol gets width 1, as the reader codes it with one bit. Every result
// with two or more used symbols is a complete code.
std::vector<std::uint8_t> BuildWidths(std::span<const std::uint32_t> frequencies,
                                      unsigned maxWidth);

// The reader's ordering of (width, symbol) pairs: descending widths with its
// particular tie order. Returns the symbols in sorted order.
std::vector<std::uint16_t> ReaderSortOrder(std::span<const std::uint8_t> widths);

// The codes a reader derives from exactly this width array (it must be the
// transmitted array: same length, trailing zeros included). Unused symbols
// get code 0. Throws std::logic_error for a width above maxWidth or an
// over-full code, which would be a fault of the caller.
std::vector<std::uint16_t> ReaderCodes(std::span<const std::uint8_t> widths, unsigned maxWidth);

}  // namespace pelmora::acewriter::encode
