// Canonical-by-sort Huffman codes as the format transmits them: only code
// widths are sent, and both sides derive the codes with one exact,
// order-sensitive procedure (format/CodeOrder.h). Decoding is a single
// lookup of maxWidth peeked bits.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "unace/decode/BitReader.h"
#include "unace/decode/DecodeError.h"

namespace pelmora::unace::decode {

class HuffmanTable {
 public:
  static constexpr int kLargestWidth = 11;

  // Builds the table from the n transmitted widths (trailing zeros count:
  // they change the tie order). Throws Corrupt on an over-full code or a
  // width above maxWidth.
  void Build(const std::uint8_t* widths, std::size_t n, int maxWidth);

  // Reads a width table (NUM, LOW, UP, the width alphabet and its body) and
  // builds from it. NUM beyond maxIndex is clamped to it.
  void Read(BitReader& bits, int maxIndex, int maxWidth);

  // Decodes one symbol; an entry no code reaches is a fault. `Bits` is a
  // BitReader or a FastBits.
  template <typename Bits>
  std::uint32_t Decode(Bits& bits) const {
    bits.Ensure();
    std::uint16_t e = entries_[bits.Peek(maxWidth_)];
    int width = e >> kWidthShift;
    if (width == 0) ThrowUnusedCode();
    bits.Skip(width);
    return e & kSymbolMask;
  }

  // The code width a symbol is read with (0 if unused); for tests.
  int WidthOf(std::uint32_t symbol) const;
  // The code of a symbol as the top WidthOf() bits of its first entry; for tests.
  std::uint32_t CodeOf(std::uint32_t symbol) const;

 private:
  static constexpr int kWidthShift = 10;
  static constexpr std::uint16_t kSymbolMask = (1u << kWidthShift) - 1;
  [[noreturn]] static void ThrowUnusedCode();

  int maxWidth_ = 1;
  // symbol | readWidth << kWidthShift; 0 marks an entry no code reaches.
  std::array<std::uint16_t, std::size_t{1} << kLargestWidth> entries_{};
};

// Reads the transmitted widths of one table (for tests and the comment decoder).
std::vector<std::uint8_t> ReadWidths(BitReader& bits, int maxIndex, int maxWidth);

}  // namespace pelmora::unace::decode
