// Transmission of a code-width table: the widths go out delta-coded modulo
// UP, with runs of repeated values, through a small Huffman-coded "width
// alphabet" whose own widths precede them.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "acewriter/encode/BitWriter.h"

namespace pelmora::acewriter::encode {

// Writes `widths` (the whole alphabet; widths up to maxWidth) and returns the
// codes the reader derives from what it receives, indexed by symbol. An
// all-zero table is sent in the minimal form that readers accept.
std::vector<std::uint16_t> WriteWidthTable(BitWriter& out, std::span<const std::uint8_t> widths,
                                           unsigned maxWidth);

// Bits WriteWidthTable would write for `widths`.
std::uint64_t WidthTableBits(std::span<const std::uint8_t> widths, unsigned maxWidth);

// Code widths for the frequencies (at most maxWidth) that cost least
// together with their table: shorter tables for slightly longer symbols
// where that pays. The code may leave some code space unused, which
// readers accept.
std::vector<std::uint8_t> WidthsWithTable(std::span<const std::uint32_t> frequencies,
                                          unsigned maxWidth);

// A Huffman code ready for writing symbols.
struct SymbolCode {
  std::vector<std::uint8_t> widths;
  std::vector<std::uint16_t> codes;

  void Put(BitWriter& out, unsigned symbol) const { out.Put(codes[symbol], widths[symbol]); }
};

// Builds the widths from frequencies, sends the table and returns the code.
SymbolCode SendCodeFor(BitWriter& out, std::span<const std::uint32_t> frequencies,
                       unsigned maxWidth);

}  // namespace pelmora::acewriter::encode
