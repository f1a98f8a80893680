#include "unace/decode/Comment.h"

#include <algorithm>
#include <array>

#include "unace/decode/BitReader.h"
#include "unace/decode/Huffman.h"

namespace pelmora::unace::decode {

namespace {

constexpr int kMaxIndex = 282;
constexpr int kMaxWidth = 11;

class SpanInput : public PackedInput {
 public:
  SpanInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::size_t Read(std::uint8_t* dst, std::size_t max) override {
    const std::size_t n = std::min(max, size_ - pos_);
    std::copy(data_ + pos_, data_ + pos_ + n, dst);
    pos_ += n;
    return n;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

// The text, or what is left after a fault noted in the reader's fault state.
std::string Decode(BitReader& bits) {
  const std::size_t length = bits.Read(15);
  HuffmanTable table;
  if (!table.Read(bits, kMaxIndex, kMaxWidth)) return {};
  std::string out;
  out.reserve(length);
  // Where each sum of the two preceding bytes was last seen.
  std::array<std::size_t, 511> lastSeen{};
  std::size_t source = 0;
  while (out.size() < length && !bits.Failed()) {
    const std::size_t p = out.size();
    if (p >= 2) {
      const std::size_t h =
          static_cast<std::uint8_t>(out[p - 1]) + static_cast<std::uint8_t>(out[p - 2]);
      source = lastSeen[h];
      lastSeen[h] = p;
    }
    const std::uint32_t symbol = table.Decode(bits);
    if (symbol == HuffmanTable::kNoSymbol) break;
    if (symbol < 256) {
      out.push_back(static_cast<char>(symbol));
      continue;
    }
    // A copy that overshoots the announced length is cut there.
    const std::size_t copy = std::min<std::size_t>(symbol - 256 + 2, length - p);
    if (source >= out.size()) {
      bits.Fault().NoteCorrupt("copy before the first byte");
      break;
    }
    for (std::size_t i = 0; i < copy; ++i) {
      const char byte = out[source + i];
      out.push_back(byte);
    }
  }
  bits.Finish();
  return out;
}

}  // namespace

std::variant<std::string, CommentFailure> DecodeComment(const std::uint8_t* data,
                                                        std::size_t size) {
  SpanInput input(data, size);
  BitReader bits(input);
  std::string text = Decode(bits);
  if (bits.Failed())
    return CommentFailure{bits.Fault().Kind(), "comment: " + bits.Fault().Reason()};
  return text;
}

}  // namespace pelmora::unace::decode
