// Collects LZ77 items (literals, matches, mode switches) and writes them as
// blocks: two width tables, the 15-bit symbol count, then the items. Items
// are buffered until a block is full or flushed, because the tables depend
// on the whole block.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "acewriter/encode/AceSymbols.h"
#include "acewriter/encode/BitWriter.h"

namespace pelmora::acewriter::encode {

// Bit prices the parser uses to compare choices, learnt from the last block.
struct LzPrices {
  std::array<std::uint8_t, kMainSymbolsBlocked> main{};
  std::array<std::uint8_t, kLengthSymbols> length{};
  unsigned literalSixteenths = 8 * 16;  // average literal price in 1/16 bits

  LzPrices();
};

class LzBlockCoder {
 public:
  LzBlockCoder(BitWriter& out, bool withTypeCode);

  void Literal(std::uint8_t byte) { Push(byte, kNoLength, 0, 0); }
  void RepeatMatch(unsigned slot, unsigned length) {
    Push(static_cast<std::uint16_t>(kFirstRepeatSymbol + slot),
         static_cast<std::uint16_t>(length - RepeatBase(slot)), 0, 0);
  }
  // d = distance - 1.
  void NewMatch(std::uint32_t d, unsigned length) {
    const unsigned k = BitLength(d);
    const unsigned extraBits = k >= 2 ? k - 1 : 0;
    Push(static_cast<std::uint16_t>(kFirstDistanceSymbol + k),
         static_cast<std::uint16_t>(length - NewDistanceBase(d)),
         extraBits == 0 ? 0 : d & ((std::uint32_t{1} << extraBits) - 1),
         static_cast<std::uint8_t>(extraBits));
  }
  // TYPECODE followed by a mode record of recordBits bits (at most 40).
  // With endBlock the block ends after it, so the next mode may write to the
  // bit stream directly and a later LZ77 stretch starts with fresh tables.
  void TypeCode(std::uint64_t record, unsigned recordBits, bool endBlock);

  // Writes the buffered items as a block (nothing if there are none).
  void Flush();

  const LzPrices& Prices() const { return prices_; }

 private:
  static constexpr std::uint16_t kNoLength = 0xFFFF;
  struct Item {
    std::uint32_t extra;
    std::uint16_t mainSymbol;
    std::uint16_t lengthSymbol;
    std::uint8_t extraBits;
  };
  struct Record {
    std::uint64_t bits;
    unsigned count;
  };

  void Push(std::uint16_t mainSymbol, std::uint16_t lengthSymbol, std::uint32_t extra,
            std::uint8_t extraBits) {
    items_.push_back({extra, mainSymbol, lengthSymbol, extraBits});
    if (items_.size() == kMaxBlockSymbols) Flush();
  }
  void LearnPrices(const std::vector<std::uint8_t>& mainWidths,
                   const std::vector<std::uint8_t>& lengthWidths,
                   const std::vector<std::uint32_t>& mainFrequencies);

  BitWriter& out_;
  unsigned mainSymbols_;
  std::vector<Item> items_;
  std::vector<Record> records_;
  LzPrices prices_;
};

}  // namespace pelmora::acewriter::encode
