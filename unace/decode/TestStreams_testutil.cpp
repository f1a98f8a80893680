#include "unace/decode/TestStreams_testutil.h"

#include <algorithm>
#include <stdexcept>

namespace pelmora::unace::decode::test {

void BitWriter::Put(std::uint32_t value, int n) {
  for (int i = n - 1; i >= 0; --i) {
    const int used = static_cast<int>(bitCount_ % 32);
    if ((value >> i) & 1) next_ |= 0x80000000u >> used;
    if (++bitCount_ % 32 == 0) {
      words_.push_back(next_);
      next_ = 0;
    }
  }
}

Bytes BitWriter::Finish() const {
  std::vector<std::uint32_t> words = words_;
  if (bitCount_ % 32 != 0) words.push_back(next_);
  Bytes out;
  for (const std::uint32_t word : words)
    for (int b = 0; b < 4; ++b) out.push_back(static_cast<std::uint8_t>(word >> (8 * b)));
  return out;
}

Code::Code(std::vector<std::uint8_t> widths, int maxWidth)
    : widths_(std::move(widths)), maxWidth_(maxWidth) {
  FaultState fault;
  if (!table_.Build(widths_.data(), widths_.size(), maxWidth_, fault))
    throw std::logic_error("widths that are no code: " + fault.Reason());
  // Looked up once: the table answers a symbol's code by a search.
  codes_.resize(widths_.size());
  for (std::uint32_t s = 0; s < widths_.size(); ++s)
    if (widths_[s] != 0) codes_[s] = table_.CodeOf(s);
}

Code Code::Flat(const std::vector<std::uint32_t>& symbols, int maxWidth) {
  std::vector<std::uint32_t> distinct = symbols;
  std::sort(distinct.begin(), distinct.end());
  distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
  int width = 1;
  while ((std::size_t{1} << width) < distinct.size()) ++width;
  std::vector<std::uint8_t> widths(distinct.back() + 1, 0);
  for (std::uint32_t s : distinct) widths[s] = static_cast<std::uint8_t>(width);
  return Code(widths, maxWidth);
}

void Code::WriteSymbol(BitWriter& out, std::uint32_t symbol) const {
  if (symbol >= widths_.size() || widths_[symbol] == 0)
    throw std::logic_error("symbol without a code: " + std::to_string(symbol));
  out.Put(codes_[symbol], widths_[symbol]);
}

void Code::WriteTable(BitWriter& out) const {
  const std::size_t n = widths_.size();
  int smallest = 0;
  for (std::uint8_t w : widths_)
    if (w != 0 && (smallest == 0 || w < smallest)) smallest = w;
  const int low = smallest == 0 ? 0 : smallest - 1;
  std::vector<int> values(n);
  int largest = 0;
  for (std::size_t i = 0; i < n; ++i) {
    values[i] = widths_[i] == 0 ? 0 : widths_[i] - low;
    largest = std::max(largest, values[i]);
  }
  const int up = std::max(largest + 1, 2);
  std::vector<int> deltas(n);
  for (std::size_t i = 0; i < n; ++i)
    deltas[i] = i == 0 ? values[0] : ((values[i] - values[i - 1]) % up + up) % up;

  // Every width-alphabet symbol gets 4 bits: at most 16 of them, never over-full.
  std::vector<std::uint8_t> alphabetWidths(static_cast<std::size_t>(up) + 1, 4);
  HuffmanTable alphabet;
  FaultState fault;
  if (!alphabet.Build(alphabetWidths.data(), alphabetWidths.size(), 7, fault))
    throw std::logic_error("width alphabet that is no code: " + fault.Reason());
  auto token = [&](std::uint32_t s) { out.Put(alphabet.CodeOf(s), alphabet.WidthOf(s)); };

  out.Put(static_cast<std::uint32_t>(n - 1), 9);
  out.Put(static_cast<std::uint32_t>(low), 4);
  out.Put(static_cast<std::uint32_t>(up), 4);
  for (std::uint8_t w : alphabetWidths) out.Put(w, 3);
  for (std::size_t i = 0; i < n;) {
    std::size_t run = 0;
    while (i + run < n && deltas[i + run] == 0) ++run;
    if (run >= 4) {
      const std::size_t take = std::min<std::size_t>(run, 19);
      token(static_cast<std::uint32_t>(up));
      out.Put(static_cast<std::uint32_t>(take - 4), 4);
      i += take;
    } else {
      token(static_cast<std::uint32_t>(deltas[i]));
      ++i;
    }
  }
}

void WriteUnusedTable(BitWriter& out) {
  out.Put(0, 9);
  out.Put(0, 4);
  out.Put(2, 4);
  out.Put(1, 3);
  out.Put(0, 3);
  out.Put(0, 3);
  out.Put(0, 1);
}

Lz77Item Lit(std::uint8_t byte) { return {Lz77Item::Literal, byte, 0}; }
Lz77Item Match(std::uint32_t distance, std::uint32_t length) {
  return {Lz77Item::NewDistance, distance, length};
}
Lz77Item Rep(std::uint32_t slot, std::uint32_t length) { return {Lz77Item::Repeat, slot, length}; }
Lz77Item Switch() { return {Lz77Item::TypeCode, 0, 0}; }
Lz77Item Raw(std::uint32_t bits, std::uint32_t count) { return {Lz77Item::RawBits, bits, count}; }

std::vector<Lz77Item> Literals(const std::string& text) {
  std::vector<Lz77Item> items;
  for (char c : text) items.push_back(Lit(static_cast<std::uint8_t>(c)));
  return items;
}

namespace {

int BitLength(std::uint32_t v) {
  int n = 0;
  while (v != 0) {
    ++n;
    v >>= 1;
  }
  return n;
}

struct Coded {
  std::uint32_t main;
  bool hasLength = false;
  std::uint32_t lengthSymbol = 0;
  int extraBits = 0;
  std::uint32_t extra = 0;
};

Coded Encode(const Lz77Item& item) {
  switch (item.kind) {
    case Lz77Item::Literal:
      return {item.value};
    case Lz77Item::Repeat:
      return {256 + item.value, true, item.length - (item.value < 2 ? 2u : 3u)};
    case Lz77Item::NewDistance: {
      const std::uint32_t d = item.value - 1;
      const int k = BitLength(d);
      const std::uint32_t base = d <= 255 ? 2 : d <= 8191 ? 3 : 4;
      Coded c{260 + static_cast<std::uint32_t>(k), true, item.length - base};
      if (k >= 2) {
        c.extraBits = k - 1;
        c.extra = d - (1u << (k - 1));
      }
      return c;
    }
    default:
      return {283};
  }
}

}  // namespace

void WriteLz77Blocks(BitWriter& out, const std::vector<Lz77Item>& items) {
  constexpr std::size_t kSymbolsPerBlock = 30000;
  std::vector<Lz77Item> block;
  std::size_t symbols = 0;
  for (std::size_t i = 0; i < items.size(); ++i) {
    block.push_back(items[i]);
    if (items[i].kind != Lz77Item::RawBits) ++symbols;
    const bool rawFollows = i + 1 < items.size() && items[i + 1].kind == Lz77Item::RawBits;
    if (symbols >= kSymbolsPerBlock && !rawFollows) {
      WriteLz77Block(out, block);
      block.clear();
      symbols = 0;
    }
  }
  if (!block.empty()) WriteLz77Block(out, block);
}

void WriteLz77Block(BitWriter& out, const std::vector<Lz77Item>& items) {
  std::vector<std::uint32_t> mainSymbols;
  std::vector<std::uint32_t> lengthSymbols;
  std::uint32_t count = 0;
  for (const Lz77Item& item : items) {
    if (item.kind == Lz77Item::RawBits) continue;
    const Coded c = Encode(item);
    mainSymbols.push_back(c.main);
    if (c.hasLength) lengthSymbols.push_back(c.lengthSymbol);
    ++count;
  }
  if (lengthSymbols.empty()) lengthSymbols.push_back(0);
  const Code mainCode = Code::Flat(mainSymbols, 11);
  const Code lengthCode = Code::Flat(lengthSymbols, 11);
  mainCode.WriteTable(out);
  lengthCode.WriteTable(out);
  out.Put(count, 15);
  for (const Lz77Item& item : items) {
    if (item.kind == Lz77Item::RawBits) {
      out.Put(item.value, static_cast<int>(item.length));
      continue;
    }
    const Coded c = Encode(item);
    mainCode.WriteSymbol(out, c.main);
    if (c.extraBits > 0) out.Put(c.extra, c.extraBits);
    if (c.hasLength) lengthCode.WriteSymbol(out, c.lengthSymbol);
  }
}

std::size_t MemoryInput::Read(std::uint8_t* dst, std::size_t max) {
  const std::size_t n = std::min({max, piece_, data_.size() - pos_});
  std::copy(data_.begin() + static_cast<std::ptrdiff_t>(pos_),
            data_.begin() + static_cast<std::ptrdiff_t>(pos_ + n), dst);
  pos_ += n;
  return n;
}

DecodeResult DecodeOne(const Bytes& packed, std::uint64_t originalSize, bool blocked,
                       std::uint32_t dictionary) {
  Decoder decoder;
  MemoryInput input(packed);
  CollectOutput output;
  const Status status =
      decoder.DecodeMember(input, output, originalSize, dictionary, blocked, false);
  return {status, output.bytes, decoder.LastError()};
}

// Kept here rather than borrowed from the container code, so that these
// tests check the decoder against nothing but the format itself.
std::uint32_t AceCrc(const Bytes& data) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::uint8_t byte : data) {
    crc ^= byte;
    for (int i = 0; i < 8; ++i) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
  }
  return crc;
}

}  // namespace pelmora::unace::decode::test
