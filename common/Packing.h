// The packed form in which the setup program carries resources (the
// extraction library, the pictures): the bytes after a call filter, coded
// as literals and matches (earlier bytes repeated) with an adaptive binary
// range coder. The setup program holds only the unpacker; the packer is a
// build tool (resource-packer), run when the program is built.
//
// Layout: the unpacked size (4 bytes, little-endian), then the coder's
// bytes. Each item is a flag "match" (context: was the item before a match),
// then either a literal (8 bits, context: the top 3 bits of the byte before)
// or a flag "same distance as the last match", the length (2 to 273) and,
// unless repeated, the distance: a slot (the distance's top two bits and
// its width; context: the length, up to 5), then up to 4 low bits coded
// per slot and the bits between them at even odds.
//
// The call filter: program code calls mostly a few functions from many
// places, each call being E8 and a 32-bit distance to the target; stored as
// the target's position instead, the same target gives the same bytes
// everywhere, which the matches then find (about a tenth smaller).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <type_traits>
#include <vector>

namespace pelmora::common {

// The packed form of `bytes`; the build tool's.
std::vector<unsigned char> Pack(const std::vector<unsigned char>& bytes);

// The bytes again; nothing when `packed` is damaged (cut short, a match
// reaching before the start or beyond the size it announces).
std::optional<std::vector<unsigned char>> Unpack(const unsigned char* packed, std::size_t size);

namespace packing {

constexpr int kProbabilityBits = 11;
constexpr std::uint32_t kProbabilityOne = 1u << kProbabilityBits;
constexpr int kAdaptShift = 5;
constexpr std::uint32_t kRangeTop = 1u << 24;
constexpr unsigned kMinMatch = 2;
constexpr unsigned kMaxMatch = kMinMatch + 8 + 8 + 256 - 1;  // 273
constexpr int kLengthContexts = 4;
constexpr int kSlotBits = 6;
constexpr int kLowBits = 4;
constexpr std::size_t kHeaderSize = 4;
// No resource comes near it; a damaged header must not make the unpacker
// reserve gigabytes.
constexpr std::uint32_t kMaxUnpackedSize = 64u << 20;

using Probability = std::uint16_t;

struct LengthModel {
  Probability choice = kProbabilityOne / 2;
  Probability choice2 = kProbabilityOne / 2;
  Probability low[8];
  Probability mid[8];
  Probability high[256];
};

// Every probability starts at one half. The model holds nothing but
// probabilities (asserted below), so its bytes are those of one half over
// and over, written in one loop: the setup program carries this code, and
// a loop per field would be several times its size.
struct Model {
  Probability isMatch[2];
  Probability isRepeat[2];
  Probability literal[8][256];
  LengthModel length;
  LengthModel repeatLength;
  Probability slot[kLengthContexts][1 << kSlotBits];
  Probability low[1 << kSlotBits][1 << kLowBits];

  Model() {
    const Probability half = kProbabilityOne / 2;
    const auto bytes = std::as_writable_bytes(std::span<Model, 1>(this, 1));
    for (std::size_t i = 0; i < bytes.size() / sizeof half; ++i) {
      std::memcpy(&bytes[i * sizeof half], &half, sizeof half);
    }
  }
};
static_assert(alignof(Model) == alignof(Probability) &&
                  std::has_unique_object_representations_v<Model>,
              "Model: probabilities only, no padding between them");

// The distance minus one as slot and the count of bits below the slot's top two.
inline unsigned DistanceSlot(std::uint32_t distanceCode) {
  if (distanceCode < 4) return distanceCode;
  unsigned width = 31;
  while (!(distanceCode >> width)) --width;
  return 2 * width + ((distanceCode >> (width - 1)) & 1);
}
inline unsigned SlotExtraBits(unsigned slot) { return slot < 4 ? 0 : (slot >> 1) - 1; }
inline std::uint32_t SlotBase(unsigned slot) {
  return slot < 4 ? slot : (2u | (slot & 1)) << SlotExtraBits(slot);
}

// The call filter over `bytes`, in place: `encode` stores targets, else
// distances. Both directions step over the same E8 bytes, as the filter
// leaves them and the 4 bytes after them as they are.
inline void FilterCalls(std::vector<unsigned char>& bytes, bool encode) {
  for (std::size_t i = 0; i + 5 <= bytes.size(); ++i) {
    if (bytes[i] != 0xE8) continue;
    std::uint32_t value = 0;
    for (int b = 0; b < 4; ++b) value |= std::uint32_t{bytes[i + 1 + b]} << (8 * b);
    const auto next = static_cast<std::uint32_t>(i + 5);
    value = encode ? value + next : value - next;
    for (int b = 0; b < 4; ++b) bytes[i + 1 + b] = static_cast<unsigned char>(value >> (8 * b));
    i += 4;
  }
}

}  // namespace packing
}  // namespace pelmora::common
