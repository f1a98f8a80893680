#include "acewriter/encode/LzParser.h"

#include <algorithm>

#include "acewriter/encode/AceSymbols.h"

namespace pelmora::acewriter::encode {
namespace {

// Bytes beyond the coding position that must be present before coding
// there, unless the stretch ends sooner: a longest match plus the lazy step.
constexpr std::size_t kLookahead = kMaxMatch + 2;

int Score(unsigned length, unsigned priceBits, const LzPrices& prices) {
  return static_cast<int>(length * prices.literalSixteenths) - static_cast<int>(priceBits * 16);
}

}  // namespace

SearchEffort EffortForLevel(int level) {
  // The chain walk is bound by memory latency (a 1 MiB window does not fit
  // the caches), so the chain length is the main price of a level.
  switch (level) {
    case 1:
      return {4, 32, 0, 8, 16, false};
    case 2:
      return {8, 64, 8, 16, 64, false};
    case 3:
      return {12, 64, 16, 24, 259, false};
    case 4:
      return {24, 128, 32, 32, 259, false};
    default:
      // The cost-based parse searches at every position, not only where
      // the lazy one stops, in binary trees (MatchFinder::InsertAndFind)
      // rather than chains: maxChain and goodLength do not apply.
      return {32, 128, 64, 64, 259, true};
  }
}

LzParser::LzParser(std::uint32_t dictionaryBits, int level)
    : finder_(dictionaryBits, EffortForLevel(level).cheapestPath), effort_(EffortForLevel(level)) {}

void LzParser::StartMember(bool keepWindow) {
  repeats_.fill(0);
  knownRepeats_ = 4;
  literalRun_ = 0;
  if (!keepWindow) finder_.Clear();
}

void LzParser::EnterWindow(std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    const std::size_t taken = finder_.Append(bytes);
    bytes = bytes.subspan(taken);
    finder_.AdvanceTo(finder_.Size());
  }
}

void LzParser::Code(std::span<const std::uint8_t> bytes, LzBlockCoder& coder) {
  Feed(bytes, coder);
  FinishStretch(coder);
}

void LzParser::Feed(std::span<const std::uint8_t> bytes, LzBlockCoder& coder) {
  while (!bytes.empty()) {
    const std::size_t taken = finder_.Append(bytes);
    bytes = bytes.subspan(taken);
    const std::size_t size = finder_.Size();
    if (size > finder_.Position() + kLookahead) Parse(size - kLookahead, size, coder);
  }
}

void LzParser::FinishStretch(LzBlockCoder& coder) { Parse(finder_.Size(), finder_.Size(), coder); }

LzParser::Choice LzParser::Best(std::size_t pos, std::size_t end, const LzPrices& prices) const {
  Choice choice;
  const std::size_t available = end - pos;
  if (available < 2) return choice;
  const std::uint32_t maxDistance = finder_.MaxDistance(pos);
  const std::uint8_t* data = finder_.Data();
  unsigned longest = 0;

  for (unsigned slot = 0; slot < knownRepeats_; ++slot) {
    const std::uint32_t distance = repeats_[slot] + 1;
    if (distance > maxDistance) continue;
    const unsigned base = RepeatBase(slot);
    const auto length = static_cast<unsigned>(
        finder_.MatchLength(pos - distance, pos, std::min<std::size_t>(available, 255 + base)));
    if (length < base) continue;
    const int score = Score(
        length, prices.main[kFirstRepeatSymbol + slot] + prices.length[length - base], prices);
    if (score > choice.score) choice = {length, static_cast<int>(slot), repeats_[slot], score};
    longest = std::max(longest, length);
  }

  const auto consider = [&](std::size_t candidate) {
    const auto d = static_cast<std::uint32_t>(pos - candidate - 1);
    const unsigned base = NewDistanceBase(d);
    const auto length = static_cast<unsigned>(
        finder_.MatchLength(candidate, pos, std::min<std::size_t>(available, 255 + base)));
    if (length < base) return length;
    const unsigned k = BitLength(d);
    const unsigned price =
        prices.main[kFirstDistanceSymbol + k] + (k >= 2 ? k - 1 : 0) + prices.length[length - base];
    const int score = Score(length, price, prices);
    if (score > choice.score) choice = {length, -1, d, score};
    return length;
  };

  if (longest < 4) {
    const std::size_t near = finder_.RecentPair(pos, 8192);
    if (near != SIZE_MAX) longest = std::max(longest, consider(near));
  }
  if (available >= 4 && longest < effort_.niceLength && longest < available) {
    unsigned steps = longest >= effort_.goodLength ? effort_.maxChain / 4 + 1 : effort_.maxChain;
    finder_.ForEachCandidate(pos, steps, [&](std::size_t candidate) {
      // A farther candidate only wins by being longer.
      if (longest >= available || data[candidate + longest] != data[pos + longest]) return true;
      const unsigned length = consider(candidate);
      if (length > longest) longest = length;
      return longest < effort_.niceLength && longest < available;
    });
  }
  return choice;
}

void LzParser::Emit(const Choice& choice, LzBlockCoder& coder) {
  if (choice.slot >= 0) {
    const auto slot = static_cast<unsigned>(choice.slot);
    coder.RepeatMatch(slot, choice.length);
    std::rotate(repeats_.begin(), repeats_.begin() + slot, repeats_.begin() + slot + 1);
  } else {
    coder.NewMatch(choice.d, choice.length);
    std::rotate(repeats_.begin(), repeats_.end() - 1, repeats_.end());
    repeats_[0] = choice.d;
    knownRepeats_ = std::min(knownRepeats_ + 1, kRepeatHistory);
  }
}

std::size_t LzParser::SkipLiteralStride(std::size_t pos, std::size_t stop, LzBlockCoder& coder) {
  const std::uint8_t* data = finder_.Data();
  const std::size_t stride =
      std::min<std::size_t>(kMaxStride, (literalRun_ - kTrustedLiteralRun) / 128);
  const std::size_t upto = std::min(pos + stride, stop);
  for (; pos < upto; ++pos) coder.Literal(data[pos]);
  finder_.SkipTo(pos);
  literalRun_ += stride;
  return pos;
}

void LzParser::Parse(std::size_t stop, std::size_t end, LzBlockCoder& coder) {
  if (effort_.cheapestPath) {
    ParseCheapest(stop, end, coder);
    return;
  }
  const std::uint8_t* data = finder_.Data();
  std::size_t pos = finder_.Position();
  bool haveChoice = false;
  Choice current;
  while (pos < stop) {
    if (!haveChoice) current = Best(pos, end, coder.Prices());
    haveChoice = false;
    if (current.length == 0) {
      coder.Literal(data[pos]);
      finder_.AdvanceTo(++pos);
      // Long stretches without any match are usually compressed or random
      // data: search there only now and then, more rarely the longer the
      // stretch, so such data costs next to nothing.
      if (++literalRun_ > kTrustedLiteralRun) pos = SkipLiteralStride(pos, stop, coder);
      continue;
    }
    literalRun_ = 0;
    if (current.length < effort_.lazyBelow && pos + 1 < stop) {
      finder_.AdvanceTo(pos + 1);
      const Choice next = Best(pos + 1, end, coder.Prices());
      if (next.score > current.score) {
        coder.Literal(data[pos]);
        ++pos;
        current = next;
        haveChoice = true;
        continue;
      }
    }
    Emit(current, coder);
    pos += current.length;
    if (current.length < effort_.indexBelow)
      finder_.AdvanceTo(pos);
    else
      finder_.SkipTo(pos);
  }
  finder_.AdvanceTo(pos);
}

}  // namespace pelmora::acewriter::encode
