// Collects LZ77 items (literals, matches, mode switches) and writes them as
// blocks: two width tables, the 15-bit symbol count, then the items. Items
// are buffered because the tables depend on the whole block, and because
// where a block ends is chosen by cost: a block pays for its tables, and
// in return its codes fit its own stretch of the data (machine code, its
// debug information and its resources want rather different codes).
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "acewriter/encode/AceSymbols.h"
#include "acewriter/encode/BitWriter.h"

namespace pelmora::acewriter::encode {

// Bit prices the parser uses to compare choices, learnt from the items
// coded last (LzBlockCoder::kPriceItems, and half as much the ones before).
struct LzPrices {
  std::array<std::uint8_t, kMainSymbolsBlocked> main{};
  std::array<std::uint8_t, kLengthSymbols> length{};
  unsigned literalSixteenths = 8 * 16;  // average literal price in 1/16 bits
  // The same prices in 1/16 bits, from the symbols' shares rather than
  // whole code widths, for the cost-based parse.
  std::array<std::uint16_t, kMainSymbolsBlocked> mainFine{};
  std::array<std::uint16_t, kLengthSymbols> lengthFine{};

  LzPrices();
};

// Where the blocks of a run of items end (item counts from its start, the
// last one its length), chosen to make the blocks' estimated size least:
// each block's symbols at the entropy of its own frequencies, plus its
// tables. Ends fall on multiples of `grain` items (or the run's end). A
// length symbol of kNoLengthSymbol stands for an item without a length.
inline constexpr std::uint16_t kNoLengthSymbol = 0xFFFF;
std::vector<std::size_t> ChooseBlockEnds(std::span<const std::uint16_t> mainSymbols,
                                         std::span<const std::uint16_t> lengthSymbols,
                                         std::size_t grain);

class LzBlockCoder {
 public:
  // With fineBlocks, block ends are weighed 4 times as often: 0.1 % smaller
  // archives of programs, at the price of about 5 % of the time of the
  // cost-based parse, or of a fifth of the time of the lazy one. The codes'
  // widths are then shaped for cheaper tables too (WidthsWithTable: 0.2 %
  // smaller, 2 % of the cost-based parse's time, but half again the time
  // of the lazy one).
  LzBlockCoder(BitWriter& out, bool withTypeCode, bool fineBlocks = false);

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

  // Writes the buffered items as blocks (nothing if there are none).
  void Flush() { WriteBlocks(true); }

  const LzPrices& Prices() const { return prices_; }

  // The prices for coding again what was coded into `trial` (a coder whose
  // buffer never filled): learnt from those items alone. Mixing in the
  // items coded before (at half weight, as it was) drew the second parse
  // back to the choices of other data: x86-64 programs 0.1 % larger, and
  // in places up to 0.5 %, as a parse that once leant on repeats kept
  // doing so. `trial` forgets its items.
  static LzPrices PricesAfterTrial(LzBlockCoder& trial);

 private:
  static constexpr std::uint16_t kNoLength = kNoLengthSymbol;
  // The parse's prices are learnt anew after this many items; they used to
  // come from the last block, but blocks are now cut where the data
  // changes, and the prices must follow it inside long blocks too.
  static constexpr unsigned kPriceItems = 4096;
  // Block ends are weighed at multiples of this many items (fineBlocks: a
  // quarter of it).
  static constexpr std::size_t kSplitGrain = 1024;
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
    ++recentMain_[mainSymbol];
    if (lengthSymbol != kNoLength) ++recentLength_[lengthSymbol];
    if (++recentItems_ == kPriceItems) LearnPrices();
    if (items_.size() == kMaxBlockSymbols) WriteBlocks(false);
  }
  // Writes the buffered items as blocks; unless `all`, the last block
  // stays buffered to grow with the items still to come, where the best
  // place for its end may lie.
  void WriteBlocks(bool all);
  void WriteBlock(std::size_t begin, std::size_t end);
  // Bits of items [begin, end) as one block: tables, codes, no extra bits.
  std::uint64_t BlockBits(std::size_t begin, std::size_t end) const;
  // How often items [begin, end) use each main and each length symbol.
  struct BlockFrequencies {
    std::vector<std::uint32_t> main;
    std::vector<std::uint32_t> length;
  };
  BlockFrequencies CountSymbols(std::size_t begin, std::size_t end) const;
  std::vector<std::uint8_t> Widths(std::span<const std::uint32_t> frequencies) const;
  void LearnPrices();
  static LzPrices PricesFor(std::span<const std::uint32_t> main,
                            std::span<const std::uint32_t> length);

  BitWriter& out_;
  unsigned mainSymbols_;
  std::size_t splitGrain_;
  bool shapeTables_;
  std::vector<Item> items_;
  std::vector<Record> records_;
  LzPrices prices_;
  std::array<std::uint32_t, kMainSymbolsBlocked> recentMain_{};
  std::array<std::uint32_t, kLengthSymbols> recentLength_{};
  unsigned recentItems_ = 0;
};

}  // namespace pelmora::acewriter::encode
