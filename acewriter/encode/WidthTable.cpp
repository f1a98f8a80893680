#include "acewriter/encode/WidthTable.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

#include "acewriter/encode/HuffmanCode.h"

namespace pelmora::acewriter::encode {
namespace {

constexpr unsigned kWidthAlphabetMaxWidth = 7;
constexpr unsigned kMinRun = 4;
constexpr unsigned kMaxRun = 19;
constexpr unsigned kRunExtraBits = 4;
constexpr std::uint32_t kSurelyPays = 64;
// How far the shaper moves a used symbol's width from its optimal one.
constexpr unsigned kReach = 2;

struct Token {
  std::uint8_t symbol;
  std::uint8_t runExtra;  // for the run symbol: run length - 4
};

// What a width table is sent as: the fields the reader takes, in order.
struct TablePlan {
  std::size_t n = 0;  // symbols sent (up to the last used one)
  unsigned low = 0;
  unsigned up = 2;
  std::vector<Token> tokens;
  std::vector<std::uint8_t> tokenWidths;
  std::uint64_t bits = 0;
};

TablePlan PlanTable(std::span<const std::uint8_t> widths, unsigned maxWidth) {
  TablePlan plan;
  std::size_t n = widths.size();
  while (n > 0 && widths[n - 1] == 0) --n;
  plan.n = n;
  if (n == 0) {
    // NUM 0, LOW 0, UP 2, width alphabet {1,0,0}, one zero value.
    plan.bits = 9 + 4 + 4 + 3 * 3 + 1;
    return plan;
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
  plan.low = smallest - 1;
  plan.up = std::max(2u, largest - plan.low + 1);
  const unsigned up = plan.up;
  if (up > 15)
    throw std::logic_error("WriteWidthTable: width range too large for the 4-bit modulus");

  std::vector<std::uint32_t> frequencies(up + 1, 0);
  unsigned previous = 0;
  std::size_t zeros = 0;  // a pending run of zero deltas
  const auto flushZeros = [&] {
    while (zeros >= kMinRun) {
      const std::size_t take = std::min<std::size_t>(zeros, kMaxRun);
      plan.tokens.push_back(
          {static_cast<std::uint8_t>(up), static_cast<std::uint8_t>(take - kMinRun)});
      ++frequencies[up];
      zeros -= take;
    }
    for (; zeros > 0; --zeros) {
      plan.tokens.push_back({0, 0});
      ++frequencies[0];
    }
  };
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned value = widths[i] == 0 ? 0 : widths[i] - plan.low;
    const unsigned delta = i == 0 ? value : (value + up - previous) % up;
    previous = value;
    if (delta == 0) {
      ++zeros;
      continue;
    }
    flushZeros();
    plan.tokens.push_back({static_cast<std::uint8_t>(delta), 0});
    ++frequencies[delta];
  }
  flushZeros();

  plan.tokenWidths = BuildWidths(frequencies, kWidthAlphabetMaxWidth);
  plan.bits = 9 + 4 + 4 + 3 * (up + 1);
  for (const Token& t : plan.tokens)
    plan.bits += plan.tokenWidths[t.symbol] + (t.symbol == up ? kRunExtraBits : 0);
  return plan;
}

void WritePlan(BitWriter& out, const TablePlan& plan) {
  if (plan.n == 0) {
    out.Put(0, 9);
    out.Put(0, 4);
    out.Put(2, 4);
    out.Put(1, 3);
    out.Put(0, 3);
    out.Put(0, 3);
    out.Put(0, 1);
    return;
  }
  const auto tokenCodes = ReaderCodes(plan.tokenWidths, kWidthAlphabetMaxWidth);
  out.Put(static_cast<std::uint32_t>(plan.n - 1), 9);
  out.Put(plan.low, 4);
  out.Put(plan.up, 4);
  for (auto w : plan.tokenWidths) out.Put(w, 3);
  for (const auto& t : plan.tokens) {
    out.Put(tokenCodes[t.symbol], plan.tokenWidths[t.symbol]);
    if (t.symbol == plan.up) out.Put(t.runExtra, kRunExtraBits);
  }
}

std::uint64_t CodedBits(std::span<const std::uint32_t> frequencies,
                        std::span<const std::uint8_t> widths) {
  std::uint64_t bits = 0;
  for (std::size_t s = 0; s < frequencies.size(); ++s)
    bits += std::uint64_t{frequencies[s]} * widths[s];
  return bits;
}

double KraftSum(std::span<const std::uint8_t> widths) {
  double sum = 0;
  for (auto w : widths)
    if (w != 0) sum += std::ldexp(1.0, -static_cast<int>(w));
  return sum;
}

// Optimal Huffman widths ignore what the table costs, which in a block of
// a few thousand symbols is a tenth of it: every width goes out as its
// difference to the one before, so a ragged run of widths is dear. The
// shaper looks for widths whose table plus coded symbols cost least, by
// dynamic programming over the symbols in table order (state: the value
// sent last), with the code space a width takes priced at `lambda` (a
// Lagrange multiplier, raised until the widths form a valid code). Each
// symbol may take a width near its optimal one; an unused one nothing, or
// the width of a used neighbour, which can join a run.
class TableShaper {
 public:
  TableShaper(std::span<const std::uint32_t> frequencies, std::span<const std::uint8_t> optimal,
              std::size_t n, unsigned low, unsigned up, unsigned maxWidth)
      : f_(frequencies), n_(n), low_(low), states_(up) {
    const unsigned top = std::min(maxWidth, low + up - 1);
    choices_.resize(n_ + 1);
    std::size_t lastUsed = n_;
    for (std::size_t i = 0; i < n_; ++i) {
      auto& c = choices_[i + 1];
      if (f_[i] != 0) {
        for (unsigned w = std::max(low + 1, optimal[i] > kReach ? optimal[i] - kReach : 1u);
             w <= std::min(top, optimal[i] + kReach); ++w)
          c.push_back(static_cast<std::uint8_t>(w - low));
        lastUsed = i;
        continue;
      }
      c.push_back(0);
      std::size_t next = i + 1;
      while (next < n_ && f_[next] == 0) ++next;
      for (const std::size_t neighbour : {lastUsed, next})
        if (neighbour < n_ && std::find(c.begin(), c.end(), optimal[neighbour] - low) == c.end())
          c.push_back(static_cast<std::uint8_t>(optimal[neighbour] - low));
    }
    choices_[0] = {0};
    cost_.resize((n_ + 1) * states_);
    back_.resize((n_ + 1) * states_);
    prefix_.resize((n_ + 1) * states_);
    symbol_.resize((n_ + 1) * states_);
    allowed_.assign((n_ + 1) * states_, 0);
    for (std::size_t i = 0; i <= n_; ++i)
      for (auto v : choices_[i]) allowed_[i * states_ + v] = 1;
    // reach_[i * S + v]: how many symbols from i on may take v (at most a run).
    reach_.assign((n_ + 1) * states_, 0);
    for (std::size_t i = n_; i-- > 0;)
      for (std::size_t v = 0; v < states_; ++v)
        if (allowed_[(i + 1) * states_ + v])
          reach_[i * states_ + v] = static_cast<std::uint8_t>(
              std::min<unsigned>(kMaxRun, reach_[(i + 1) * states_ + v] + 1u));
    for (unsigned v = 1; v < states_; ++v) space_[v] = std::ldexp(1.0, -static_cast<int>(low_ + v));
  }

  // Token prices (in bits) from a plan of the same low and up; tokens it
  // did not use are priced as if used once.
  void PriceTokens(const TablePlan& plan) {
    std::vector<std::uint32_t> frequencies(states_ + 1, 1);
    for (const Token& t : plan.tokens) frequencies[t.symbol] += 2;
    const auto widths = BuildWidths(frequencies, kWidthAlphabetMaxWidth);
    for (unsigned t = 0; t <= states_; ++t) token_[t] = widths[t];
    token_[states_] += kRunExtraBits;
    for (std::size_t p = 0; p < states_; ++p)
      for (std::size_t v = 0; v < states_; ++v)
        rotated_[p * 16 + v] = token_[(v + states_ - p) % states_];
  }

  // The widths least in (symbol bits + token bits + lambda * code space);
  // empty if there are none.
  std::vector<std::uint8_t> Solve(double lambda) {
    const std::size_t S = states_;
    // prefix_[i * S + v]: symbols [0, i) all at value v, counting those
    // that cannot take it as nothing (runs over them are not tried).
    for (std::size_t v = 0; v < S; ++v) prefix_[v] = 0;
    for (std::size_t i = 0; i < n_; ++i) {
      const double f = f_[i];
      for (std::size_t v = 0; v < S; ++v) {
        const std::size_t k = (i + 1) * S + v;
        symbol_[k] = v == 0 ? 0.0 : f * static_cast<double>(low_ + v) + lambda * space_[v];
        prefix_[k] = prefix_[k - S] + (allowed_[k] ? symbol_[k] : 0.0);
      }
    }
    std::fill(cost_.begin(), cost_.end(), kNever);
    cost_[0] = 0;  // before the first symbol the "previous value" is 0
    for (std::size_t i = 0; i < n_; ++i) {
      double* next = &cost_[(i + 1) * S];
      Back* nextBack = &back_[(i + 1) * S];
      for (const std::uint8_t p : choices_[i]) {
        const double base = cost_[i * S + p];
        if (base >= kNever) continue;
        for (const std::uint8_t v : choices_[i + 1]) {
          const double total = base + rotated_[p * 16 + v] + symbol_[(i + 1) * S + v];
          if (total < next[v]) {
            next[v] = total;
            nextBack[v] = {p, 1};
          }
        }
        const std::size_t reach = reach_[i * S + p];
        for (std::size_t r = kMinRun; r <= reach; ++r) {
          const double total = base + token_[S] + prefix_[(i + r) * S + p] - prefix_[i * S + p];
          if (total < cost_[(i + r) * S + p]) {
            cost_[(i + r) * S + p] = total;
            back_[(i + r) * S + p] = {p, static_cast<std::uint8_t>(r)};
          }
        }
      }
    }
    std::size_t v = 0;
    for (const std::uint8_t u : choices_[n_])
      if (u != 0 && (v == 0 || cost_[n_ * S + u] < cost_[n_ * S + v])) v = u;
    if (v == 0 || cost_[n_ * S + v] >= kNever) return {};
    std::vector<std::uint8_t> widths(f_.size(), 0);
    for (std::size_t i = n_; i > 0;) {
      const Back b = back_[i * S + v];
      for (std::size_t k = i - b.run; k < i; ++k)
        widths[k] = static_cast<std::uint8_t>(v == 0 ? 0 : low_ + v);
      i -= b.run;
      v = b.previous;
    }
    return widths;
  }

 private:
  static constexpr double kNever = 1e30;
  struct Back {
    std::uint8_t previous;
    std::uint8_t run;
  };

  std::span<const std::uint32_t> f_;
  std::size_t n_;
  unsigned low_;
  std::size_t states_;
  std::array<double, 16> token_{};
  std::array<double, 16> space_{};
  std::array<double, 16 * 16> rotated_{};           // [p * 16 + v]: the token from p to v
  std::vector<std::vector<std::uint8_t>> choices_;  // [i + 1]: values symbol i may take
  std::vector<std::uint8_t> allowed_;               // the same as flags
  std::vector<double> cost_;
  std::vector<Back> back_;
  std::vector<double> prefix_;
  std::vector<double> symbol_;
  std::vector<std::uint8_t> reach_;
};

}  // namespace

std::vector<std::uint16_t> WriteWidthTable(BitWriter& out, std::span<const std::uint8_t> widths,
                                           unsigned maxWidth) {
  const TablePlan plan = PlanTable(widths, maxWidth);
  WritePlan(out, plan);
  if (plan.n == 0) return std::vector<std::uint16_t>(widths.size(), 0);
  auto codes = ReaderCodes(widths.first(plan.n), maxWidth);
  codes.resize(widths.size(), 0);
  return codes;
}

std::uint64_t WidthTableBits(std::span<const std::uint8_t> widths, unsigned maxWidth) {
  return PlanTable(widths, maxWidth).bits;
}

namespace {

// Widths valid for `frequencies` by the shaper's best multiplier, or none.
std::vector<std::uint8_t> ShapedWidths(TableShaper& shaper, std::uint64_t total) {
  // With lambda = total / ln 2 every width would be -log2 of its share; a
  // table's worth of difference moves it little (measured on x86-64
  // programs: 0.9 to 2.2 times the total).
  double below = 0.9 * static_cast<double>(total);
  double above = 2.2 * static_cast<double>(total) + 64;
  std::vector<std::uint8_t> valid;
  for (int step = 0; step < 5; ++step) {
    const double lambda = (below + above) / 2;
    auto widths = shaper.Solve(lambda);
    if (!widths.empty() && KraftSum(widths) <= 1.0) {
      above = lambda;
      valid = std::move(widths);
    } else {
      below = lambda;
    }
  }
  return valid;
}

// The multiplier leaves some code space unused: the most frequent symbols
// take it (one bit shorter each) where that pays.
void FillCodeSpace(std::span<const std::uint32_t> frequencies, std::vector<std::uint8_t>& widths,
                   unsigned maxWidth) {
  std::vector<std::size_t> order;
  for (std::size_t s = 0; s < frequencies.size(); ++s)
    if (frequencies[s] != 0 && widths[s] > 1) order.push_back(s);
  std::sort(order.begin(), order.end(),
            [&](std::size_t a, std::size_t b) { return frequencies[a] > frequencies[b]; });
  double slack = 1.0 - KraftSum(widths);
  std::uint64_t tableBits = PlanTable(widths, maxWidth).bits;
  bool tableKnown = true;
  for (bool improved = true; improved;) {
    improved = false;
    for (const std::size_t s : order) {
      const double space = std::ldexp(1.0, -static_cast<int>(widths[s]));
      if (widths[s] <= 1 || space > slack) continue;
      --widths[s];
      // One width changes two deltas of the table: a few dozen bits at
      // most, less than a frequent symbol saves.
      if (frequencies[s] < kSurelyPays) {
        if (!tableKnown) {
          ++widths[s];
          tableBits = PlanTable(widths, maxWidth).bits;
          --widths[s];
        }
        const std::uint64_t trialBits = PlanTable(widths, maxWidth).bits;
        tableKnown = true;
        if (trialBits >= tableBits + frequencies[s]) {
          ++widths[s];
          continue;
        }
        tableBits = trialBits;
      } else {
        tableKnown = false;
      }
      slack -= space;
      improved = true;
    }
  }
}

}  // namespace

std::vector<std::uint8_t> WidthsWithTable(std::span<const std::uint32_t> frequencies,
                                          unsigned maxWidth) {
  auto optimal = BuildWidths(frequencies, maxWidth);
  std::size_t used = 0;
  std::size_t n = 0;
  std::uint64_t total = 0;
  for (std::size_t s = 0; s < frequencies.size(); ++s) {
    if (frequencies[s] == 0) continue;
    ++used;
    n = s + 1;
    total += frequencies[s];
  }
  if (used < 3) return optimal;
  const TablePlan plan = PlanTable(optimal, maxWidth);
  TableShaper shaper(frequencies, optimal, n, plan.low, plan.up, maxWidth);
  shaper.PriceTokens(plan);
  auto shaped = ShapedWidths(shaper, total);
  if (shaped.empty()) return optimal;
  FillCodeSpace(frequencies, shaped, maxWidth);
  const auto cost = [&](const std::vector<std::uint8_t>& widths) {
    return PlanTable(widths, maxWidth).bits + CodedBits(frequencies, widths);
  };
  return cost(shaped) < cost(optimal) ? shaped : optimal;
}

SymbolCode SendCodeFor(BitWriter& out, std::span<const std::uint32_t> frequencies,
                       unsigned maxWidth) {
  SymbolCode code;
  code.widths = WidthsWithTable(frequencies, maxWidth);
  code.codes = WriteWidthTable(out, code.widths, maxWidth);
  return code;
}

}  // namespace pelmora::acewriter::encode
