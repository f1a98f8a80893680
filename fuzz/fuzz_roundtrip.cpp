// Arbitrary bytes -> compressor (options picked by the first byte) ->
// decoder -> must give the same bytes back. The second half of the input,
// when the first byte asks for it, becomes a second solid member (the
// first one then possibly stored after all).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <vector>

#include "acewriter/encode/Encoder.h"
#include "unace/decode/Decoder.h"

namespace {

class SpanInput : public pelmora::unace::decode::PackedInput {
 public:
  explicit SpanInput(const std::vector<std::uint8_t>& b) : bytes_(b) {}
  std::size_t Read(std::uint8_t* dst, std::size_t max) override {
    const std::size_t n = max < bytes_.size() - pos_ ? max : bytes_.size() - pos_;
    if (n) std::memcpy(dst, bytes_.data() + pos_, n);
    pos_ += n;
    return n;
  }

 private:
  const std::vector<std::uint8_t>& bytes_;
  std::size_t pos_ = 0;
};

class Collect : public pelmora::unace::decode::Output {
 public:
  bool Write(const std::uint8_t* d, std::size_t n) override {
    bytes.insert(bytes.end(), d, d + n);
    return true;
  }
  std::vector<std::uint8_t> bytes;
};

void RoundTrip(pelmora::acewriter::encode::Encoder& encoder,
               pelmora::unace::decode::Decoder& decoder, std::span<const std::uint8_t> member,
               bool solid) {
  const auto packed = encoder.EncodeMember(member, solid);
  if (packed.size() % 4 != 0) std::abort();
  SpanInput in(packed);
  Collect out;
  const auto status =
      decoder.DecodeMember(in, out, member.size(), std::uint32_t{1} << encoder.DictionaryBits(),
                           encoder.CompressionType() == 2, solid);
  if (status != pelmora::unace::decode::Status::Ok) std::abort();
  if (out.bytes.size() != member.size() ||
      (member.size() != 0 && std::memcmp(out.bytes.data(), member.data(), member.size()) != 0))
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  using namespace pelmora::acewriter::encode;
  const std::uint8_t choice = data[0];
  const std::uint8_t extra = data[1];
  Options options;
  options.method = (choice & 1) ? Method::Blocked : Method::Lz77;
  if (options.method == Method::Blocked) {
    static constexpr BlockedMode kModes[] = {
        BlockedMode::Auto,  BlockedMode::Lz77, BlockedMode::Exe,   BlockedMode::Delta,
        BlockedMode::Sound, BlockedMode::Pic,  BlockedMode::Sound, BlockedMode::Exe};
    options.mode = kModes[(choice >> 1) & 7];
  }
  options.level = 1 + (choice >> 4) % 5;
  // scripts/fuzz.sh keeps inputs within 4 KiB, so 12 bits reach every
  // distance; a larger dictionary would only cost set-up time per input.
  options.dictionaryBits = (choice & 0x80) ? 10 : 12;
  options.exeMode = extra & 1;
  options.deltaDistance = static_cast<std::uint8_t>(1 + (extra >> 1) % 8);
  options.deltaLength = options.deltaDistance * (1 + extra % 37);
  options.soundLayout = static_cast<SoundLayout>((extra >> 2) & 3);
  options.picWidth = 1 + extra % 50;
  options.picPlanes = 1 + (extra >> 4) % 4;
  options.picPlaneType = static_cast<int>(extra >> 6) - 1;

  const std::span<const std::uint8_t> input(data + 2, size - 2);
  Encoder encoder(options);
  // One decoder for all runs: its window and buffers, once grown, serve the
  // next input too.
  static pelmora::unace::decode::Decoder decoder;
  decoder.Reset();
  if (choice & 0x40) {
    const auto half = input.size() / 2;
    if (choice & 0x08) {
      // The writer stores the first member after all.
      encoder.EncodeMember(input.first(half), true);
      encoder.StoreInstead(input.first(half));
      decoder.AppendStored(input.data(), half);
    } else {
      RoundTrip(encoder, decoder, input.first(half), true);
    }
    encoder.AppendStored(input.subspan(half, half / 2));
    decoder.AppendStored(input.data() + half, half / 2);
    RoundTrip(encoder, decoder, input.subspan(half + half / 2), true);
  } else {
    RoundTrip(encoder, decoder, input, false);
  }
  return 0;
}
