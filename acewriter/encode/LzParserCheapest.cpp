// The cost-based parse of the best level. From the coding position on,
// every position of a stretch is reached by its cheapest known way (a
// literal, a repeat distance or a new distance of any length up to the
// longest match found), priced in 1/16 bits from the shares of the symbols
// coded last (LzPrices); the repeat distances each way leaves behind are
// carried along, so that a way that sets up a cheap repeat is seen as such.
// The stretch ends where no way reaches beyond the position being looked at
// (every way runs through it), at a match long enough to be taken as it
// is, or after kHorizon positions; the cheapest way to its end is then
// coded.
//
// The prices are those of the items coded last, which fit the next bytes
// only as far as the data stays alike. So every region of kRegionBytes is
// parsed twice: first into a trial coder, remembering the candidates of
// every position searched, then with the prices of what that first pass
// chose, from the remembered candidates (the trees cannot be searched
// twice: a search puts the position in). On x86-64 programs 0.5 % smaller
// for about a quarter more time.
#include <algorithm>
#include <limits>

#include "acewriter/encode/AceSymbols.h"
#include "acewriter/encode/LzParser.h"

namespace pelmora::acewriter::encode {
namespace {

constexpr std::size_t kHorizon = 4096;
// The region coded twice (LzParser::ParseCheapest).
constexpr std::size_t kRegionBytes = 16 * 1024;
constexpr std::uint32_t kUnreached = std::numeric_limits<std::uint32_t>::max();

}  // namespace

void LzParser::Candidates(std::size_t pos, std::size_t end, std::vector<Candidate>& found) {
  found.clear();
  if (pass_ == Pass::Second) {
    // The finder has indexed the region already: only what the first pass
    // found is known (nothing where it did not search).
    const std::size_t at = pos - regionStart_;
    if (at < searched_.size() && searched_[at].count != kNotSearched)
      found.assign(remembered_.begin() + searched_[at].first,
                   remembered_.begin() + searched_[at].first + searched_[at].count);
    return;
  }
  if (pass_ == Pass::First) {
    const std::size_t at = pos - regionStart_;
    if (searched_.size() <= at) searched_.resize(at + 1, {0, kNotSearched});
    searched_[at].first = static_cast<std::uint32_t>(remembered_.size());
  }
  FindCandidates(pos, end, found);
  if (pass_ == Pass::First) {
    searched_[pos - regionStart_].count = static_cast<std::uint32_t>(found.size());
    remembered_.insert(remembered_.end(), found.begin(), found.end());
  }
}

void LzParser::FindCandidates(std::size_t pos, std::size_t end, std::vector<Candidate>& found) {
  const std::size_t available = end - pos;
  if (available < 2) return;
  unsigned longest = 1;
  // `known`: bytes already found equal.
  const auto consider = [&](std::size_t candidate, std::size_t known) {
    const auto d = static_cast<std::uint32_t>(pos - candidate - 1);
    const unsigned base = NewDistanceBase(d);
    const std::size_t most = std::min<std::size_t>(available, 255 + base);
    known = std::min(known, most);
    const auto length = static_cast<unsigned>(
        known + finder_.MatchLength(candidate + known, pos + known, most - known));
    if (length > longest && length >= base) {
      found.push_back({length, d});
      longest = length;
    }
  };
  if (const std::size_t near = finder_.RecentPair(pos, 8192); near != SIZE_MAX) consider(near, 0);
  if (available >= 3)
    if (const std::size_t near = finder_.RecentTriple(pos, 8192); near != SIZE_MAX)
      consider(near, 0);
  if (available >= MatchFinder::kLongBytes)
    if (const std::size_t far = finder_.RecentLong(pos); far != SIZE_MAX) consider(far, 0);
  if (available < 4 || longest >= effort_.niceLength || longest >= available) return;
  // The parse's finder is thorough (LzParser's constructor): trees, no chains.
  finder_.InsertAndFind(
      pos, MatchFinder::kTreeLength, MatchFinder::kTreeDepth,
      [&](std::size_t candidate, std::size_t length) { consider(candidate, length); });
}

std::size_t LzParser::CheapestStretch(std::size_t stop, std::size_t end, const LzPrices& prices,
                                      LzBlockCoder& coder) {
  const std::uint8_t* data = finder_.Data();
  const std::size_t start = finder_.Position();
  const std::size_t horizon = std::min(kHorizon, stop - start);
  if (steps_.size() < kHorizon + kMaxMatch + 1) steps_.resize(kHorizon + kMaxMatch + 1);

  Step& first = steps_[0];
  first.cost = 0;
  first.length = 0;
  first.known = static_cast<std::uint8_t>(knownRepeats_);
  first.repeats = repeats_;
  std::size_t reach = 0;  // the farthest position reached so far
  const auto relax = [&](std::size_t to, std::uint32_t cost, std::size_t from, unsigned length,
                         int slot, std::uint32_t d) {
    while (reach < to) steps_[++reach].cost = kUnreached;
    Step& s = steps_[to];
    if (cost >= s.cost) return;
    s.cost = cost;
    s.from = static_cast<std::uint32_t>(from);
    s.length = static_cast<std::uint16_t>(length);
    s.slot = static_cast<std::int8_t>(slot);
    s.d = d;
  };

  std::size_t last = 0;  // where the coded way ends
  for (std::size_t cur = 0;; ++cur) {
    if ((cur > 0 && cur == reach) || cur >= horizon) {
      last = cur;
      break;
    }
    Step& here = steps_[cur];
    if (cur > 0) {
      // The reader's repeat distances after the cheapest way to here.
      const Step& before = steps_[here.from];
      here.repeats = before.repeats;
      here.known = before.known;
      if (here.length > 1 && here.slot >= 0) {
        const auto slot = static_cast<std::size_t>(here.slot);
        std::rotate(here.repeats.begin(), here.repeats.begin() + static_cast<std::ptrdiff_t>(slot),
                    here.repeats.begin() + static_cast<std::ptrdiff_t>(slot) + 1);
      } else if (here.length > 1) {
        std::rotate(here.repeats.begin(), here.repeats.end() - 1, here.repeats.end());
        here.repeats[0] = here.d;
        here.known = static_cast<std::uint8_t>(std::min<unsigned>(here.known + 1, kRepeatHistory));
      }
    }
    const std::size_t pos = start + cur;
    finder_.AdvanceTo(pos);
    const std::uint32_t cost = here.cost;
    relax(cur + 1, cost + prices.mainFine[data[pos]], cur, 1, -1, 0);
    const std::size_t available = end - pos;
    if (available < 2) continue;

    Choice longest;
    const std::uint32_t maxDistance = finder_.MaxDistance(pos);
    for (unsigned slot = 0; slot < here.known; ++slot) {
      const std::uint32_t distance = here.repeats[slot] + 1;
      if (distance > maxDistance) continue;
      const unsigned base = RepeatBase(slot);
      const auto length = static_cast<unsigned>(
          finder_.MatchLength(pos - distance, pos, std::min<std::size_t>(available, 255 + base)));
      if (length < base) continue;
      const std::uint32_t price = cost + prices.mainFine[kFirstRepeatSymbol + slot];
      for (unsigned n = base; n <= length; ++n)
        relax(cur + n, price + prices.lengthFine[n - base], cur, n, static_cast<int>(slot),
              here.repeats[slot]);
      if (length > longest.length)
        longest = {length, static_cast<int>(slot), here.repeats[slot], 0};
    }
    Candidates(pos, end, candidates_);
    unsigned shorter = 1;
    for (const Candidate& c : candidates_) {
      const unsigned base = NewDistanceBase(c.d);
      const unsigned k = BitLength(c.d);
      const std::uint32_t price =
          cost + prices.mainFine[kFirstDistanceSymbol + k] + (k >= 2 ? k - 1 : 0) * 16;
      for (unsigned n = std::max(shorter + 1, base); n <= c.length; ++n)
        relax(cur + n, price + prices.lengthFine[n - base], cur, n, -1, c.d);
      shorter = c.length;
      // A repeat long enough to be taken stays the choice: a new distance
      // a few bytes longer (its lengths reach 259, a repeat's 257) costs
      // its distance bits and leaves the repeat to be found again.
      if (c.length > longest.length && (longest.slot < 0 || longest.length < effort_.niceLength))
        longest = {c.length, -1, c.d, 0};
    }
    if (longest.length >= effort_.niceLength) {
      // Long enough to take without weighing the ways through it.
      last = cur + longest.length;
      while (reach < last) steps_[++reach].cost = kUnreached;
      Step& s = steps_[last];
      s.from = static_cast<std::uint32_t>(cur);
      s.length = static_cast<std::uint16_t>(longest.length);
      s.slot = static_cast<std::int8_t>(longest.slot);
      s.d = longest.d;
      break;
    }
  }

  // The way back from its end, then coded forwards.
  path_.clear();
  for (std::size_t at = last; at > 0; at = steps_[at].from)
    path_.push_back(static_cast<std::uint32_t>(at));
  std::size_t from = 0;
  std::size_t trailingLiterals = 0;
  bool matched = false;
  for (auto at = path_.rbegin(); at != path_.rend(); ++at) {
    const Step& s = steps_[*at];
    if (s.length <= 1) {
      coder.Literal(data[start + from]);
      ++trailingLiterals;
    } else {
      Emit({s.length, s.slot, s.d, 0}, coder);
      trailingLiterals = 0;
      matched = true;
    }
    from = *at;
  }
  literalRun_ = matched ? trailingLiterals : literalRun_ + trailingLiterals;
  if (steps_[last].length >= effort_.indexBelow)
    finder_.SkipTo(start + last);
  else
    finder_.AdvanceTo(start + last);
  return start + last;
}

std::size_t LzParser::CheapestStep(std::size_t stop, std::size_t end, const LzPrices& prices,
                                   LzBlockCoder& coder) {
  if (literalRun_ > kTrustedLiteralRun) {
    const std::size_t pos = SkipLiteralStride(finder_.Position(), stop, coder);
    if (pos >= stop) return pos;
  }
  return CheapestStretch(stop, end, prices, coder);
}

void LzParser::ParseCheapest(std::size_t stop, std::size_t end, LzBlockCoder& coder) {
  if (!trial_) trial_ = std::make_unique<LzBlockCoder>(trialBits_, true);
  std::size_t pos = finder_.Position();
  while (pos < stop) {
    // At most one item per byte: the trial coder never fills its buffer.
    const std::size_t regionEnd = std::min(stop, pos + kRegionBytes);
    const auto repeats = repeats_;
    const unsigned knownRepeats = knownRepeats_;
    const std::size_t literalRun = literalRun_;
    pass_ = Pass::First;
    regionStart_ = pos;
    searched_.clear();
    remembered_.clear();
    std::size_t reached = pos;
    while (reached < regionEnd) reached = CheapestStep(regionEnd, end, coder.Prices(), *trial_);
    const LzPrices prices = LzBlockCoder::PricesAfterTrial(*trial_);

    pass_ = Pass::Second;
    repeats_ = repeats;
    knownRepeats_ = knownRepeats;
    literalRun_ = literalRun;
    finder_.SkipTo(pos);
    while (pos < reached) pos = CheapestStep(reached, end, prices, coder);
    pass_ = Pass::Single;
  }
  finder_.AdvanceTo(pos);
}

}  // namespace pelmora::acewriter::encode
