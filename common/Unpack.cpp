// The setup program's half of common/Packing.h: small, as it is carried in
// every setup program, and wary, as a damaged resource must not make it read
// or write out of bounds.
#include <cstring>

#include "common/Packing.h"

namespace pelmora::common {

namespace {

using namespace packing;

class RangeDecoder {
 public:
  RangeDecoder(const unsigned char* data, std::size_t size) : data_(data), end_(data + size) {
    for (int i = 0; i < 5; ++i) code_ = (code_ << 8) | Next();
  }

  unsigned Bit(Probability& probability) {
    const std::uint32_t bound = (range_ >> kProbabilityBits) * probability;
    unsigned bit;
    if (code_ < bound) {
      range_ = bound;
      probability += (kProbabilityOne - probability) >> kAdaptShift;
      bit = 0;
    } else {
      range_ -= bound;
      code_ -= bound;
      probability -= probability >> kAdaptShift;
      bit = 1;
    }
    Normalize();
    return bit;
  }

  std::uint32_t EvenBits(unsigned count) {
    std::uint32_t value = 0;
    while (count--) {
      range_ >>= 1;
      const unsigned bit = code_ >= range_;
      if (bit) code_ -= range_;
      value = (value << 1) | bit;
      Normalize();
    }
    return value;
  }

  // `count` bits, first the highest, each in the context of those before it.
  std::uint32_t Tree(Probability* probabilities, unsigned count) {
    std::uint32_t node = 1;
    for (unsigned i = 0; i < count; ++i) node = (node << 1) | Bit(probabilities[node]);
    return node - (1u << count);
  }

  bool Overran() const { return overran_; }

 private:
  unsigned char Next() {
    if (data_ == end_) {
      overran_ = true;
      return 0;
    }
    return *data_++;
  }
  void Normalize() {
    if (range_ < kRangeTop) {
      range_ <<= 8;
      code_ = (code_ << 8) | Next();
    }
  }

  const unsigned char* data_;
  const unsigned char* end_;
  std::uint32_t range_ = 0xFFFFFFFF;
  std::uint32_t code_ = 0;
  bool overran_ = false;
};

unsigned Length(RangeDecoder& decoder, LengthModel& model) {
  if (!decoder.Bit(model.choice)) return kMinMatch + decoder.Tree(model.low, 3);
  if (!decoder.Bit(model.choice2)) return kMinMatch + 8 + decoder.Tree(model.mid, 3);
  return kMinMatch + 16 + decoder.Tree(model.high, 8);
}

}  // namespace

std::optional<std::vector<unsigned char>> Unpack(const unsigned char* packed,
                                                        std::size_t size) {
  if (size < kHeaderSize) return std::nullopt;
  std::uint32_t unpackedSize = 0;
  for (int b = 0; b < 4; ++b) unpackedSize |= std::uint32_t{packed[b]} << (8 * b);
  if (unpackedSize > kMaxUnpackedSize) return std::nullopt;

  RangeDecoder decoder(packed + kHeaderSize, size - kHeaderSize);
  std::vector<Model> models(1);  // 7 KB: not on the stack
  Model& model = models.front();
  std::vector<unsigned char> out(unpackedSize);
  std::size_t done = 0;
  std::uint32_t lastDistance = 0;  // none yet
  unsigned afterMatch = 0;
  while (done < unpackedSize && !decoder.Overran()) {
    if (!decoder.Bit(model.isMatch[afterMatch])) {
      const unsigned context = done ? out[done - 1] >> 5 : 0;
      out[done++] = static_cast<unsigned char>(decoder.Tree(model.literal[context], 8));
      afterMatch = 0;
      continue;
    }
    unsigned length;
    std::uint32_t distance;
    if (decoder.Bit(model.isRepeat[afterMatch])) {
      length = Length(decoder, model.repeatLength);
      distance = lastDistance;
    } else {
      length = Length(decoder, model.length);
      const unsigned slot =
          decoder.Tree(model.slot[length - kMinMatch < 3 ? length - kMinMatch : 3], kSlotBits);
      const unsigned extra = SlotExtraBits(slot);
      const unsigned low = extra < kLowBits ? extra : kLowBits;
      std::uint32_t code = SlotBase(slot);
      code += decoder.EvenBits(extra - low) << low;
      code += decoder.Tree(model.low[slot], low);
      distance = code + 1;
      lastDistance = distance;
    }
    if (distance == 0 || distance > done || length > unpackedSize - done) return std::nullopt;
    // Byte by byte: a match may overlap what it repeats.
    for (unsigned i = 0; i < length; ++i, ++done) out[done] = out[done - distance];
    afterMatch = 1;
  }
  if (decoder.Overran()) return std::nullopt;
  FilterCalls(out, false);
  return out;
}

}  // namespace pelmora::common
