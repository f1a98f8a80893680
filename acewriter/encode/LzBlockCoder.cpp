#include "acewriter/encode/LzBlockCoder.h"

#include <stdexcept>

#include "acewriter/encode/WidthTable.h"

namespace pelmora::acewriter::encode {

LzPrices::LzPrices() {
  // Before the first block: literals about a byte, matches a bit dearer.
  main.fill(9);
  for (unsigned s = 0; s < 256; ++s) main[s] = 8;
  main[kFirstRepeatSymbol] = 5;
  length.fill(6);
  for (unsigned s = 0; s < 16; ++s) length[s] = 4;
}

LzBlockCoder::LzBlockCoder(BitWriter& out, bool withTypeCode)
    : out_(out), mainSymbols_(withTypeCode ? kMainSymbolsBlocked : kMainSymbolsLz77) {
  items_.reserve(kMaxBlockSymbols);
}

void LzBlockCoder::TypeCode(std::uint64_t record, unsigned recordBits, bool endBlock) {
  if (mainSymbols_ != kMainSymbolsBlocked)
    throw std::logic_error("LzBlockCoder: mode switch in an ACE 1.0 stream");
  if (recordBits > 40) throw std::logic_error("LzBlockCoder: mode record too long");
  records_.push_back({record, recordBits});
  items_.push_back({static_cast<std::uint32_t>(records_.size() - 1),
                    static_cast<std::uint16_t>(kTypeCodeSymbol), kNoLength, 0});
  if (endBlock || items_.size() == kMaxBlockSymbols) Flush();
}

void LzBlockCoder::Flush() {
  if (items_.empty()) return;
  std::vector<std::uint32_t> mainFrequencies(mainSymbols_, 0);
  std::vector<std::uint32_t> lengthFrequencies(kLengthSymbols, 0);
  for (const auto& item : items_) {
    ++mainFrequencies[item.mainSymbol];
    if (item.lengthSymbol != kNoLength) ++lengthFrequencies[item.lengthSymbol];
  }
  const SymbolCode mainCode = SendCodeFor(out_, mainFrequencies, kCodeMaxWidth);
  const SymbolCode lengthCode = SendCodeFor(out_, lengthFrequencies, kCodeMaxWidth);
  out_.Put(static_cast<std::uint32_t>(items_.size()), 15);
  for (const auto& item : items_) {
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
  LearnPrices(mainCode.widths, lengthCode.widths, mainFrequencies);
  items_.clear();
  records_.clear();
}

void LzBlockCoder::LearnPrices(const std::vector<std::uint8_t>& mainWidths,
                               const std::vector<std::uint8_t>& lengthWidths,
                               const std::vector<std::uint32_t>& mainFrequencies) {
  // A symbol absent from the last block would cost about as much as the
  // rarest one present; 12 bits keeps the parser from betting on it.
  constexpr std::uint8_t kAbsent = 12;
  for (unsigned s = 0; s < kMainSymbolsLz77; ++s)
    prices_.main[s] = mainWidths[s] ? mainWidths[s] : kAbsent;
  for (unsigned s = 0; s < kLengthSymbols; ++s)
    prices_.length[s] = lengthWidths[s] ? lengthWidths[s] : kAbsent;
  std::uint64_t literalBits = 0;
  std::uint64_t literals = 0;
  for (unsigned s = 0; s < 256; ++s) {
    literalBits += std::uint64_t{mainFrequencies[s]} * mainWidths[s];
    literals += mainFrequencies[s];
  }
  prices_.literalSixteenths =
      literals ? static_cast<unsigned>(literalBits * 16 / literals) : 8 * 16;
}

}  // namespace pelmora::acewriter::encode
