#include "unace/decode/Huffman.h"

#include <algorithm>
#include <string>

#include "unace/format/CodeOrder.h"

namespace pelmora::unace::decode {

namespace {

constexpr int kWidthAlphabetMaxWidth = 7;

void NoteTooWide(FaultState& fault, int width, int maxWidth) {
  fault.NoteCorrupt("Huffman code width " + std::to_string(width) + " above the maximum " +
                    std::to_string(maxWidth));
}

}  // namespace

void HuffmanTable::NoteUnusedCode(FaultState& fault) {
  fault.NoteCorrupt("bit pattern that no Huffman code uses");
}

bool HuffmanTable::Build(const std::uint8_t* widths, std::size_t n, int maxWidth,
                         FaultState& fault) {
  Forget();
  if (maxWidth < 1 || maxWidth > kLargestWidth || n == 0 || n > kSymbolMask + 1u) {
    fault.NoteCorrupt("Huffman table of " + std::to_string(n) + " symbols, maximum width " +
                      std::to_string(maxWidth));
    return false;
  }
  std::vector<format::WidthSymbol> list(n);
  for (std::size_t s = 0; s < n; ++s) {
    if (widths[s] > maxWidth) {
      NoteTooWide(fault, widths[s], maxWidth);
      return false;
    }
    list[s] = {widths[s], static_cast<std::uint16_t>(s)};
  }
  format::SortByWidthDescending(list);

  std::size_t used = 0;
  while (used < n && list[used].width != 0) ++used;
  // Each entry carries the width it is read with; a lone symbol is read as
  // one bit but still fills the table by its transmitted width.
  std::vector<std::uint8_t> readWidth(n);
  for (std::size_t k = 0; k < used; ++k) readWidth[k] = list[k].width;
  if (used < 2) {
    readWidth[0] = 1;
    if (used == 0) used = 1;
  }

  const std::uint32_t tableSize = 1u << maxWidth;
  std::fill(entries_.begin(), entries_.begin() + tableSize, std::uint16_t{0});
  std::uint32_t c = 0;
  for (std::size_t k = used; k-- > 0;) {
    const std::uint32_t span = 1u << (maxWidth - list[k].width);
    if (span > tableSize - c) {
      fault.NoteCorrupt("over-full Huffman code");
      Forget();
      return false;
    }
    const std::uint16_t entry =
        static_cast<std::uint16_t>(list[k].symbol | (readWidth[k] << kWidthShift));
    std::fill(entries_.begin() + c, entries_.begin() + c + span, entry);
    c += span;
  }
  maxWidth_ = maxWidth;
  return true;
}

void HuffmanTable::Forget() {
  maxWidth_ = 1;
  entries_[0] = entries_[1] = 0;
}

int HuffmanTable::WidthOf(std::uint32_t symbol) const {
  for (std::uint32_t i = 0; i < (1u << maxWidth_); ++i)
    if ((entries_[i] & kSymbolMask) == symbol && (entries_[i] >> kWidthShift) != 0)
      return entries_[i] >> kWidthShift;
  return 0;
}

std::uint32_t HuffmanTable::CodeOf(std::uint32_t symbol) const {
  for (std::uint32_t i = 0; i < (1u << maxWidth_); ++i)
    if ((entries_[i] & kSymbolMask) == symbol && (entries_[i] >> kWidthShift) != 0)
      return i >> (maxWidth_ - (entries_[i] >> kWidthShift));
  return 0;
}

std::vector<std::uint8_t> ReadWidths(BitReader& bits, int maxIndex, int maxWidth) {
  int num = static_cast<int>(bits.Read(9));
  if (num > maxIndex) num = maxIndex;
  const std::size_t n = static_cast<std::size_t>(num) + 1;
  const int low = static_cast<int>(bits.Read(4));
  const int up = static_cast<int>(bits.Read(4));

  std::uint8_t alphabetWidths[16];
  for (int s = 0; s <= up; ++s) alphabetWidths[s] = static_cast<std::uint8_t>(bits.Read(3));
  HuffmanTable alphabet;
  if (!alphabet.Build(alphabetWidths, static_cast<std::size_t>(up) + 1, kWidthAlphabetMaxWidth,
                      bits.Fault()))
    return {};

  std::vector<std::uint8_t> values;
  values.reserve(n);
  while (values.size() < n) {
    const std::uint32_t x = alphabet.Decode(bits);
    if (bits.Failed()) return {};
    if (static_cast<int>(x) < up) {
      values.push_back(static_cast<std::uint8_t>(x));
    } else {
      const std::size_t run = std::min<std::size_t>(bits.Read(4) + 4, n - values.size());
      values.insert(values.end(), run, std::uint8_t{0});
    }
  }
  if (up > 0)
    for (std::size_t i = 1; i < n; ++i)
      values[i] = static_cast<std::uint8_t>((values[i] + values[i - 1]) % up);

  std::vector<std::uint8_t> widths(n);
  for (std::size_t i = 0; i < n; ++i) {
    const int w = values[i] == 0 ? 0 : values[i] + low;
    if (w > maxWidth) {
      NoteTooWide(bits.Fault(), w, maxWidth);
      return {};
    }
    widths[i] = static_cast<std::uint8_t>(w);
  }
  return widths;
}

bool HuffmanTable::Read(BitReader& bits, int maxIndex, int maxWidth) {
  const std::vector<std::uint8_t> widths = ReadWidths(bits, maxIndex, maxWidth);
  if (bits.Failed()) {
    Forget();
    return false;
  }
  return Build(widths.data(), widths.size(), maxWidth, bits.Fault());
}

}  // namespace pelmora::unace::decode
