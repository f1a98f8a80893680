#include "acewriter/encode/WidthTable.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "acewriter/encode/HuffmanCode.h"

namespace pelmora::acewriter::encode {
namespace {

constexpr unsigned kWidthAlphabetMaxWidth = 7;
constexpr unsigned kMinRun = 4;
constexpr unsigned kMaxRun = 19;

struct Token {
  std::uint8_t symbol;
  std::uint8_t runExtra;  // for the run symbol: run length - 4
};

}  // namespace

std::vector<std::uint16_t> WriteWidthTable(BitWriter& out, std::span<const std::uint8_t> widths,
                                           unsigned maxWidth) {
  std::size_t n = widths.size();
  while (n > 0 && widths[n - 1] == 0) --n;
  if (n == 0) {
    // NUM 0, LOW 0, UP 2, width alphabet {1,0,0}, one zero value.
    out.Put(0, 9);
    out.Put(0, 4);
    out.Put(2, 4);
    out.Put(1, 3);
    out.Put(0, 3);
    out.Put(0, 3);
    out.Put(0, 1);
    return std::vector<std::uint16_t>(widths.size(), 0);
  }
  if (n > 512)
    throw std::logic_error("WriteWidthTable: alphabet of " + std::to_string(n) +
                           " symbols is too large");

  unsigned smallest = maxWidth;
  unsigned largest = 0;
  for (std::size_t i = 0; i < n; ++i) {
    if (widths[i] == 0) continue;
    if (widths[i] > maxWidth)
      throw std::logic_error("WriteWidthTable: width " + std::to_string(widths[i]) + " above " +
                             std::to_string(maxWidth));
    smallest = std::min<unsigned>(smallest, widths[i]);
    largest = std::max<unsigned>(largest, widths[i]);
  }
  const unsigned low = smallest - 1;
  const unsigned up = std::max(2u, largest - low + 1);
  if (up > 15)
    throw std::logic_error("WriteWidthTable: width range too large for the 4-bit modulus");

  std::vector<std::uint8_t> deltas(n);
  unsigned previous = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned value = widths[i] == 0 ? 0 : widths[i] - low;
    deltas[i] = static_cast<std::uint8_t>(i == 0 ? value : (value + up - previous) % up);
    previous = value;
  }

  std::vector<Token> tokens;
  std::vector<std::uint32_t> frequencies(up + 1, 0);
  for (std::size_t i = 0; i < n;) {
    if (deltas[i] != 0) {
      tokens.push_back({deltas[i], 0});
      ++frequencies[deltas[i]];
      ++i;
      continue;
    }
    std::size_t run = 0;
    while (i + run < n && deltas[i + run] == 0) ++run;
    i += run;
    while (run >= kMinRun) {
      const std::size_t take = std::min<std::size_t>(run, kMaxRun);
      tokens.push_back({static_cast<std::uint8_t>(up), static_cast<std::uint8_t>(take - kMinRun)});
      ++frequencies[up];
      run -= take;
    }
    for (; run > 0; --run) {
      tokens.push_back({0, 0});
      ++frequencies[0];
    }
  }

  const auto tokenWidths = BuildWidths(frequencies, kWidthAlphabetMaxWidth);
  const auto tokenCodes = ReaderCodes(tokenWidths, kWidthAlphabetMaxWidth);

  out.Put(static_cast<std::uint32_t>(n - 1), 9);
  out.Put(low, 4);
  out.Put(up, 4);
  for (auto w : tokenWidths) out.Put(w, 3);
  for (const auto& t : tokens) {
    out.Put(tokenCodes[t.symbol], tokenWidths[t.symbol]);
    if (t.symbol == up) out.Put(t.runExtra, 4);
  }

  auto codes = ReaderCodes(widths.first(n), maxWidth);
  codes.resize(widths.size(), 0);
  return codes;
}

SymbolCode SendCodeFor(BitWriter& out, std::span<const std::uint32_t> frequencies,
                       unsigned maxWidth) {
  SymbolCode code;
  code.widths = BuildWidths(frequencies, maxWidth);
  code.codes = WriteWidthTable(out, code.widths, maxWidth);
  return code;
}

}  // namespace pelmora::acewriter::encode
