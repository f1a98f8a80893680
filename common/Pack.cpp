// The build tool's half of common/Packing.h. It runs once per build on a
// few files of at most a few hundred KB, so it searches thoroughly (long
// hash chains, a look one byte ahead) rather than fast.
#include <algorithm>

#include "common/Packing.h"

namespace pelmora::common {

namespace {

using namespace packing;

class RangeEncoder {
 public:
  void Bit(Probability& probability, unsigned bit) {
    const std::uint32_t bound = (range_ >> kProbabilityBits) * probability;
    if (!bit) {
      range_ = bound;
      probability += (kProbabilityOne - probability) >> kAdaptShift;
    } else {
      low_ += bound;
      range_ -= bound;
      probability -= probability >> kAdaptShift;
    }
    Normalize();
  }

  void EvenBits(std::uint32_t value, unsigned count) {
    while (count--) {
      range_ >>= 1;
      if ((value >> count) & 1) low_ += range_;
      Normalize();
    }
  }

  void Tree(Probability* probabilities, std::uint32_t value, unsigned count) {
    std::uint32_t node = 1;
    while (count--) {
      const unsigned bit = (value >> count) & 1;
      Bit(probabilities[node], bit);
      node = (node << 1) | bit;
    }
  }

  std::vector<unsigned char> Finish() {
    for (int i = 0; i < 5; ++i) ShiftLow();
    return std::move(out_);
  }

 private:
  void Normalize() {
    while (range_ < kRangeTop) {
      range_ <<= 8;
      ShiftLow();
    }
  }
  // A byte is held back until it is known that no carry will change it.
  void ShiftLow() {
    if (static_cast<std::uint32_t>(low_) < 0xFF000000u || (low_ >> 32) != 0) {
      const auto carry = static_cast<unsigned char>(low_ >> 32);
      unsigned char held = cache_;
      do {
        out_.push_back(static_cast<unsigned char>(held + carry));
        held = 0xFF;
      } while (--pending_ != 0);
      cache_ = static_cast<unsigned char>(low_ >> 24);
    }
    ++pending_;
    low_ = (low_ & 0x00FFFFFFu) << 8;
  }

  std::vector<unsigned char> out_;
  std::uint64_t low_ = 0;
  std::uint32_t range_ = 0xFFFFFFFF;
  unsigned char cache_ = 0;
  std::uint64_t pending_ = 1;
};

void Length(RangeEncoder& encoder, LengthModel& model, unsigned length) {
  const unsigned value = length - kMinMatch;
  if (value < 8) {
    encoder.Bit(model.choice, 0);
    encoder.Tree(model.low, value, 3);
  } else if (value < 16) {
    encoder.Bit(model.choice, 1);
    encoder.Bit(model.choice2, 0);
    encoder.Tree(model.mid, value - 8, 3);
  } else {
    encoder.Bit(model.choice, 1);
    encoder.Bit(model.choice2, 1);
    encoder.Tree(model.high, value - 16, 8);
  }
}

struct Match {
  unsigned length = 0;
  std::uint32_t distance = 0;
};

// Earlier positions by the hash of their first three bytes, newest first.
class MatchFinder {
 public:
  explicit MatchFinder(const std::vector<unsigned char>& bytes)
      : bytes_(bytes), head_(1u << kHashBits, kNone), previous_(bytes.size(), kNone) {}

  // Records `position` and returns the longest match starting there.
  Match Find(std::size_t position) {
    Match best;
    if (position + 3 > bytes_.size()) return best;
    const std::uint32_t hash = Hash(position);
    const std::size_t limit = std::min<std::size_t>(kMaxMatch, bytes_.size() - position);
    std::size_t candidate = head_[hash];
    for (int depth = 0; candidate != kNone && depth < kChainDepth; ++depth) {
      const unsigned length = CommonLength(candidate, position, limit);
      const auto distance = static_cast<std::uint32_t>(position - candidate);
      // A longer match wins; of equal ones, the nearer (found first).
      if (length > best.length) best = {length, distance};
      if (length == limit) break;
      candidate = previous_[candidate];
    }
    previous_[position] = head_[hash];
    head_[hash] = position;
    if (best.length < 3) best = {};
    return best;
  }

  unsigned CommonLength(std::size_t earlier, std::size_t position, std::size_t limit) const {
    unsigned length = 0;
    while (length < limit && bytes_[earlier + length] == bytes_[position + length]) ++length;
    return length;
  }

 private:
  static constexpr int kHashBits = 16;
  static constexpr int kChainDepth = 512;
  static constexpr std::size_t kNone = ~std::size_t{0};

  std::uint32_t Hash(std::size_t position) const {
    const std::uint32_t value = bytes_[position] | (bytes_[position + 1] << 8) |
                                (std::uint32_t{bytes_[position + 2]} << 16);
    return (value * 2654435761u) >> (32 - kHashBits);
  }

  const std::vector<unsigned char>& bytes_;
  std::vector<std::size_t> head_;
  std::vector<std::size_t> previous_;
};

// A far match of three bytes costs more than the three literals it spares.
bool WorthIt(const Match& match) {
  return match.length > 3 || (match.length == 3 && match.distance <= (1u << 12));
}

}  // namespace

std::vector<unsigned char> Pack(const std::vector<unsigned char>& original) {
  std::vector<unsigned char> bytes = original;
  FilterCalls(bytes, true);

  RangeEncoder encoder;
  std::vector<Model> models(1);
  Model& model = models.front();
  MatchFinder finder(bytes);
  std::uint32_t lastDistance = 0;
  unsigned afterMatch = 0;
  std::size_t position = 0;
  Match found = finder.Find(0);
  while (position < bytes.size()) {
    const std::size_t limit = std::min<std::size_t>(kMaxMatch, bytes.size() - position);
    // The last distance again is cheap: taken when nearly as long.
    unsigned repeatLength = 0;
    if (lastDistance != 0 && lastDistance <= position) {
      repeatLength = finder.CommonLength(position - lastDistance, position, limit);
    }
    Match next;
    if (position + 1 < bytes.size()) next = finder.Find(position + 1);
    const bool useRepeat = repeatLength >= kMinMatch && repeatLength + 1 >= found.length;
    const bool useMatch = !useRepeat && WorthIt(found) && next.length <= found.length;

    if (!useRepeat && !useMatch) {
      encoder.Bit(model.isMatch[afterMatch], 0);
      const unsigned context = position ? bytes[position - 1] >> 5 : 0;
      encoder.Tree(model.literal[context], bytes[position], 8);
      afterMatch = 0;
      ++position;
      found = next;
      continue;
    }
    encoder.Bit(model.isMatch[afterMatch], 1);
    unsigned length;
    if (useRepeat) {
      length = repeatLength;
      encoder.Bit(model.isRepeat[afterMatch], 1);
      Length(encoder, model.repeatLength, length);
    } else {
      length = found.length;
      encoder.Bit(model.isRepeat[afterMatch], 0);
      Length(encoder, model.length, length);
      const std::uint32_t code = found.distance - 1;
      const unsigned slot = DistanceSlot(code);
      encoder.Tree(model.slot[length - kMinMatch < 3 ? length - kMinMatch : 3], slot, kSlotBits);
      const unsigned extra = SlotExtraBits(slot);
      const unsigned low = extra < kLowBits ? extra : kLowBits;
      const std::uint32_t rest = code - SlotBase(slot);
      encoder.EvenBits(rest >> low, extra - low);
      encoder.Tree(model.low[slot], rest & ((1u << low) - 1), low);
      lastDistance = found.distance;
    }
    afterMatch = 1;
    // Every position the match covers goes into the chains.
    const std::size_t end = position + length;
    for (std::size_t p = position + 2; p < end; ++p) finder.Find(p);
    position = end;
    found = position < bytes.size() ? finder.Find(position) : Match{};
  }

  std::vector<unsigned char> packed(kHeaderSize);
  for (int b = 0; b < 4; ++b) packed[b] = static_cast<unsigned char>(original.size() >> (8 * b));
  const std::vector<unsigned char> coded = encoder.Finish();
  packed.insert(packed.end(), coded.begin(), coded.end());
  return packed;
}

}  // namespace pelmora::common
