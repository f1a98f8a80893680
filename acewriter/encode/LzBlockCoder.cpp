#include "acewriter/encode/LzBlockCoder.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "acewriter/encode/HuffmanCode.h"
#include "acewriter/encode/WidthTable.h"

namespace pelmora::acewriter::encode {

LzPrices::LzPrices() {
  // Before the first block: literals about a byte, matches a bit dearer.
  main.fill(9);
  for (unsigned s = 0; s < 256; ++s) main[s] = 8;
  main[kFirstRepeatSymbol] = 5;
  length.fill(6);
  for (unsigned s = 0; s < 16; ++s) length[s] = 4;
  for (unsigned s = 0; s < kMainSymbolsBlocked; ++s)
    mainFine[s] = static_cast<std::uint16_t>(main[s] * 16);
  for (unsigned s = 0; s < kLengthSymbols; ++s)
    lengthFine[s] = static_cast<std::uint16_t>(length[s] * 16);
}

LzBlockCoder::LzBlockCoder(BitWriter& out, bool withTypeCode, bool fineBlocks)
    : out_(out),
      mainSymbols_(withTypeCode ? kMainSymbolsBlocked : kMainSymbolsLz77),
      splitGrain_(fineBlocks ? kSplitGrain / 4 : kSplitGrain),
      shapeTables_(fineBlocks) {
  items_.reserve(kMaxBlockSymbols);
}

void LzBlockCoder::TypeCode(std::uint64_t record, unsigned recordBits, bool endBlock) {
  if (mainSymbols_ != kMainSymbolsBlocked)
    throw std::logic_error("LzBlockCoder: mode switch in an ACE 1.0 stream");
  if (recordBits > 40) throw std::logic_error("LzBlockCoder: mode record too long");
  records_.push_back({record, recordBits});
  items_.push_back({static_cast<std::uint32_t>(records_.size() - 1),
                    static_cast<std::uint16_t>(kTypeCodeSymbol), kNoLength, 0});
  if (endBlock)
    WriteBlocks(true);
  else if (items_.size() == kMaxBlockSymbols)
    WriteBlocks(false);
}

namespace {

// What a block's width tables are reckoned to cost per symbol it uses.
// They take about 2 to 3 bits each, but entropy flatters small blocks
// against their Huffman codes: on x86-64 programs 4 to 6 gave the smallest
// archives (2.5 made four times as many blocks and lost most of the gain),
// 4 with the exact check of neighbouring blocks in WriteBlocks.
constexpr double kTableBitsPerSymbol = 4;

// f * log2(f) for every count a block of at most kMaxBlockSymbols items
// can hold.
const std::vector<double>& CountBits() {
  static const std::vector<double> table = [] {
    std::vector<double> t(kMaxBlockSymbols + 1, 0.0);
    for (std::size_t f = 2; f < t.size(); ++f)
      t[f] = static_cast<double>(f) * std::log2(static_cast<double>(f));
    return t;
  }();
  return table;
}

// The frequencies of a growing run of items, with the sum of f * log2(f)
// kept up to date, so the entropy of the run costs nothing to ask.
class RunEntropy {
 public:
  explicit RunEntropy(std::size_t symbols) : counts_(symbols, 0), bits_(CountBits().data()) {}
  void Add(std::uint16_t symbol, std::uint32_t times) {
    std::uint32_t& f = counts_[symbol];
    if (f == 0) ++used_;
    sum_ += bits_[f + times] - bits_[f];
    f += times;
    total_ += times;
  }
  void Clear() {
    std::fill(counts_.begin(), counts_.end(), 0);
    sum_ = 0;
    total_ = 0;
    used_ = 0;
  }
  // Bits of the symbols at the entropy of their own frequencies.
  double Bits() const { return bits_[total_] - sum_; }
  std::size_t Used() const { return used_; }

 private:
  std::vector<std::uint32_t> counts_;
  const double* bits_;
  double sum_ = 0;
  std::uint32_t total_ = 0;
  std::size_t used_ = 0;
};

struct Tally {
  std::uint16_t symbol;
  std::uint32_t count;
};

// The distinct symbols of items [begin, end) with their counts.
void TallyRange(std::span<const std::uint16_t> symbols, std::size_t begin, std::size_t end,
                std::vector<std::uint32_t>& scratch, std::vector<Tally>& out) {
  out.clear();
  for (std::size_t i = begin; i < end; ++i) {
    const std::uint16_t s = symbols[i];
    if (s == kNoLengthSymbol) continue;
    if (scratch[s]++ == 0) out.push_back({s, 0});
  }
  for (Tally& t : out) {
    t.count = scratch[t.symbol];
    scratch[t.symbol] = 0;
  }
}

}  // namespace

std::vector<std::size_t> ChooseBlockEnds(std::span<const std::uint16_t> mainSymbols,
                                         std::span<const std::uint16_t> lengthSymbols,
                                         std::size_t grain) {
  const std::size_t n = mainSymbols.size();
  if (n > kMaxBlockSymbols || lengthSymbols.size() != n || grain == 0)
    throw std::logic_error("ChooseBlockEnds: a run of items no block can hold");
  if (n == 0) return {};
  const std::size_t pieces = (n + grain - 1) / grain;

  // Each piece's distinct symbols once, so that growing a run by a piece
  // costs its distinct symbols rather than its items.
  std::vector<std::vector<Tally>> mainTally(pieces), lengthTally(pieces);
  std::vector<std::uint32_t> scratch(std::max<std::size_t>(kMainSymbolsBlocked, kLengthSymbols), 0);
  for (std::size_t p = 0; p < pieces; ++p) {
    const std::size_t begin = p * grain, end = std::min(n, begin + grain);
    TallyRange(mainSymbols, begin, end, scratch, mainTally[p]);
    TallyRange(lengthSymbols, begin, end, scratch, lengthTally[p]);
  }

  // best[j]: the least estimate for pieces [0, j); from[j]: where its last block starts.
  std::vector<double> best(pieces + 1, std::numeric_limits<double>::infinity());
  std::vector<std::size_t> from(pieces + 1, 0);
  best[0] = 0;
  RunEntropy main(kMainSymbolsBlocked), length(kLengthSymbols);
  for (std::size_t i = 0; i < pieces; ++i) {
    main.Clear();
    length.Clear();
    for (std::size_t j = i; j < pieces; ++j) {
      for (const Tally& t : mainTally[j]) main.Add(t.symbol, t.count);
      for (const Tally& t : lengthTally[j]) length.Add(t.symbol, t.count);
      const double block = main.Bits() + length.Bits() +
                           kTableBitsPerSymbol * static_cast<double>(main.Used() + length.Used());
      if (best[i] + block < best[j + 1]) {
        best[j + 1] = best[i] + block;
        from[j + 1] = i;
      }
    }
  }
  std::vector<std::size_t> ends;
  for (std::size_t j = pieces; j > 0; j = from[j]) ends.push_back(std::min(n, j * grain));
  std::reverse(ends.begin(), ends.end());
  return ends;
}

void LzBlockCoder::WriteBlocks(bool all) {
  if (items_.empty()) return;
  std::vector<std::uint16_t> mainSymbols(items_.size()), lengthSymbols(items_.size());
  for (std::size_t i = 0; i < items_.size(); ++i) {
    mainSymbols[i] = items_[i].mainSymbol;
    lengthSymbols[i] = items_[i].lengthSymbol;
  }
  auto ends = ChooseBlockEnds(mainSymbols, lengthSymbols, splitGrain_);
  // The estimate splits a little too eagerly; neighbours that cost less
  // as one block with real codes and tables are joined.
  if (ends.size() > 1) {
    std::vector<std::size_t> merged{ends[0]};
    std::size_t start = 0;
    std::uint64_t costA = BlockBits(0, ends[0]);
    for (std::size_t k = 1; k < ends.size(); ++k) {
      const std::uint64_t costB = BlockBits(merged.back(), ends[k]);
      const std::uint64_t both = BlockBits(start, ends[k]);
      if (both <= costA + costB) {
        merged.back() = ends[k];
        costA = both;
      } else {
        start = merged.back();
        merged.push_back(ends[k]);
        costA = costB;
      }
    }
    ends = std::move(merged);
  }
  // A full buffer that is best as one block is written whole.
  const std::size_t written = all || ends.size() == 1 ? ends.size() : ends.size() - 1;
  std::size_t begin = 0;
  for (std::size_t k = 0; k < written; ++k) {
    WriteBlock(begin, ends[k]);
    begin = ends[k];
  }
  // The kept items' mode records move to the front with them.
  std::vector<Record> kept;
  for (std::size_t i = begin; i < items_.size(); ++i) {
    Item& item = items_[i];
    if (item.mainSymbol != kTypeCodeSymbol) continue;
    kept.push_back(records_[item.extra]);
    item.extra = static_cast<std::uint32_t>(kept.size() - 1);
  }
  records_ = std::move(kept);
  items_.erase(items_.begin(), items_.begin() + static_cast<std::ptrdiff_t>(begin));
}

LzBlockCoder::BlockFrequencies LzBlockCoder::CountSymbols(std::size_t begin,
                                                          std::size_t end) const {
  BlockFrequencies counts{std::vector<std::uint32_t>(mainSymbols_, 0),
                          std::vector<std::uint32_t>(kLengthSymbols, 0)};
  for (std::size_t i = begin; i < end; ++i) {
    const Item& item = items_[i];
    ++counts.main[item.mainSymbol];
    if (item.lengthSymbol != kNoLength) ++counts.length[item.lengthSymbol];
  }
  return counts;
}

std::uint64_t LzBlockCoder::BlockBits(std::size_t begin, std::size_t end) const {
  const auto [mainFrequencies, lengthFrequencies] = CountSymbols(begin, end);
  const auto mainWidths = Widths(mainFrequencies);
  const auto lengthWidths = Widths(lengthFrequencies);
  std::uint64_t bits =
      WidthTableBits(mainWidths, kCodeMaxWidth) + WidthTableBits(lengthWidths, kCodeMaxWidth);
  for (std::size_t s = 0; s < mainFrequencies.size(); ++s)
    bits += std::uint64_t{mainFrequencies[s]} * mainWidths[s];
  for (std::size_t s = 0; s < lengthFrequencies.size(); ++s)
    bits += std::uint64_t{lengthFrequencies[s]} * lengthWidths[s];
  return bits;
}

std::vector<std::uint8_t> LzBlockCoder::Widths(std::span<const std::uint32_t> frequencies) const {
  return shapeTables_ ? WidthsWithTable(frequencies, kCodeMaxWidth)
                      : BuildWidths(frequencies, kCodeMaxWidth);
}

void LzBlockCoder::WriteBlock(std::size_t begin, std::size_t end) {
  const auto [mainFrequencies, lengthFrequencies] = CountSymbols(begin, end);
  SymbolCode mainCode;
  mainCode.widths = Widths(mainFrequencies);
  mainCode.codes = WriteWidthTable(out_, mainCode.widths, kCodeMaxWidth);
  SymbolCode lengthCode;
  lengthCode.widths = Widths(lengthFrequencies);
  lengthCode.codes = WriteWidthTable(out_, lengthCode.widths, kCodeMaxWidth);
  out_.Put(static_cast<std::uint32_t>(end - begin), 15);
  for (std::size_t i = begin; i < end; ++i) {
    const Item& item = items_[i];
    mainCode.Put(out_, item.mainSymbol);
    if (item.mainSymbol == kTypeCodeSymbol) {
      const Record& r = records_[item.extra];
      if (r.count > 32) out_.Put(static_cast<std::uint32_t>(r.bits >> 32), r.count - 32);
      out_.Put(static_cast<std::uint32_t>(r.bits), r.count > 32 ? 32 : r.count);
      continue;
    }
    out_.Put(item.extra, item.extraBits);
    if (item.lengthSymbol != kNoLength) lengthCode.Put(out_, item.lengthSymbol);
  }
}

LzPrices LzBlockCoder::PricesFor(std::span<const std::uint32_t> main,
                                 std::span<const std::uint32_t> length) {
  // A symbol absent from the recent items would cost about as much as the
  // rarest one present: the longest code (12 bits lost 0.1 %).
  constexpr std::uint8_t kAbsent = 11;
  LzPrices prices;
  const auto mainWidths = BuildWidths(main, kCodeMaxWidth);
  const auto lengthWidths = BuildWidths(length, kCodeMaxWidth);
  for (unsigned s = 0; s < kMainSymbolsLz77; ++s)
    prices.main[s] = mainWidths[s] ? mainWidths[s] : kAbsent;
  for (unsigned s = 0; s < kLengthSymbols; ++s)
    prices.length[s] = lengthWidths[s] ? lengthWidths[s] : kAbsent;
  // The finer prices are the symbols' shares within the widths' bounds:
  // between two ways that cost the same whole bits, the one of the more
  // frequent symbols comes out cheaper once the block's code is built.
  const auto share = [](std::uint32_t f, std::uint32_t total) {
    if (f == 0) return static_cast<std::uint16_t>(kAbsent * 16);
    const double bits =
        std::clamp(std::log2(static_cast<double>(total) / f), 1.0, double{kCodeMaxWidth});
    return static_cast<std::uint16_t>(std::lround(bits * 16));
  };
  std::uint32_t mainTotal = 0;
  std::uint32_t lengthTotal = 0;
  for (const auto f : main) mainTotal += f;
  for (const auto f : length) lengthTotal += f;
  for (unsigned s = 0; s < kMainSymbolsLz77; ++s) prices.mainFine[s] = share(main[s], mainTotal);
  for (unsigned s = 0; s < kLengthSymbols; ++s)
    prices.lengthFine[s] = share(length[s], lengthTotal);
  std::uint64_t literalBits = 0;
  std::uint64_t literals = 0;
  for (unsigned s = 0; s < 256; ++s) {
    literalBits += std::uint64_t{main[s]} * mainWidths[s];
    literals += main[s];
  }
  prices.literalSixteenths = literals ? static_cast<unsigned>(literalBits * 16 / literals) : 8 * 16;
  return prices;
}

void LzBlockCoder::LearnPrices() {
  prices_ = PricesFor(recentMain_, recentLength_);
  // Half the weight stays with the items before: prices follow the data
  // without jumping at every small stretch of a different kind.
  for (auto& f : recentMain_) f /= 2;
  for (auto& f : recentLength_) f /= 2;
  recentItems_ = 0;
}

LzPrices LzBlockCoder::PricesAfterTrial(LzBlockCoder& trial) {
  std::array<std::uint32_t, kMainSymbolsBlocked> main{};
  std::array<std::uint32_t, kLengthSymbols> length{};
  for (const Item& item : trial.items_) {
    ++main[item.mainSymbol];
    if (item.lengthSymbol != kNoLength) ++length[item.lengthSymbol];
  }
  trial.items_.clear();
  trial.records_.clear();
  return PricesFor(main, length);
}

}  // namespace pelmora::acewriter::encode
