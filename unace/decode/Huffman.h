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
#include "unace/decode/Fault.h"

namespace pelmora::unace::decode {

class HuffmanTable {
 public:
  static constexpr int kLargestWidth = 11;

  // Builds the table from the n transmitted widths (trailing zeros count:
  // they change the tie order). Notes Corrupt in `fault` and returns false
  // on an over-full code or a width above maxWidth; the table then decodes
  // nothing but kNoSymbol and further notes.
  bool Build(const std::uint8_t* widths, std::size_t n, int maxWidth, FaultState& fault);

  // Reads a width table (NUM, LOW, UP, the width alphabet and its body) and
  // builds from it. NUM beyond maxIndex is clamped to it. False after a fault.
  bool Read(BitReader& bits, int maxIndex, int maxWidth);

  // What Decode() answers for a bit pattern no code uses: above every
  // symbol of every alphabet, so a decoder's range checks turn it away.
  static constexpr std::uint32_t kNoSymbol = 1u << 10;

  // Decodes one symbol; an entry no code reaches is a fault, noted in the
  // reader's fault state, and gives kNoSymbol without consuming bits. `Bits`
  // is a BitReader or a FastBits.
  template <typename Bits>
  std::uint32_t Decode(Bits& bits) const {
    bits.Ensure();
    std::uint16_t e = entries_[bits.Peek(maxWidth_)];
    int width = e >> kWidthShift;
    if (width == 0) [[unlikely]] {
      NoteUnusedCode(bits.Fault());
      return kNoSymbol;
    }
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
  static_assert(kNoSymbol > kSymbolMask);
  [[gnu::cold]] static void NoteUnusedCode(FaultState& fault);
  // Every pattern unused: a table whose build failed must not decode with a
  // half-filled code.
  void Forget();

  int maxWidth_ = 1;
  // symbol | readWidth << kWidthShift; 0 marks an entry no code reaches
  // (every entry until a Build() succeeds).
  std::array<std::uint16_t, std::size_t{1} << kLargestWidth> entries_{};
};

// Reads the transmitted widths of one table (for tests and the comment
// decoder); nothing after a fault.
std::vector<std::uint8_t> ReadWidths(BitReader& bits, int maxIndex, int maxWidth);

}  // namespace pelmora::unace::decode
