// PIC mode: rows of an image, each plane predicted from its neighbours above
// and to the left by one of four predictors chosen per context, with the
// residuals in adaptive Rice codes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "unace/decode/BitReader.h"
#include "unace/decode/OutputSink.h"
#include "unace/decode/Window.h"

namespace pelmora::unace::decode {

// Rice(r): r low bits, then the high part in unary (ones ended by a zero).
// Values above `limit` are damage, noted in the reader's fault state (the
// answer is 0 then), which also bounds the loop.
std::uint32_t ReadRice(BitReader& bits, int r, std::uint32_t limit);
// The signed variant: 0, -1, 1, -2, 2, ... for 0, 1, 2, 3, 4, ...
std::int32_t ReadSignedRice(BitReader& bits, int r, std::uint32_t limit);

class PicDecoder {
 public:
  // Rows wider than this are refused: they would only serve to exhaust memory.
  static constexpr std::uint32_t kMaxWidth = 1u << 20;
  static constexpr std::uint32_t kMaxPlanes = 256;

  // Entering PIC from another mode: reads the geometry and starts fresh.
  // Damage or rows that cannot be allocated are noted in the reader's fault
  // state, after which Decode() must not be called.
  void Start(BitReader& bits);

  // Decodes rows until `limit` more bytes are produced (the last row may be
  // cut) or a switch bit is read (returns true then), or a fault is noted.
  bool Decode(BitReader& bits, Window& window, OutputSink& sink, std::uint64_t limit,
              std::uint64_t& produced);

 private:
  struct Context {
    int used = 0;
    int average = 4;
    int predictor = 0;
    std::array<int, 4> errors{};
  };
  static constexpr int kContexts = 365;

  void DecodeRow(BitReader& bits);
  void DecodePlane(BitReader& bits, std::size_t plane, int type, std::vector<Context>& model);

  std::size_t width_ = 0;
  std::size_t planes_ = 1;
  // width_ + planes_ bytes, the last planes_ always 0
  std::unique_ptr<std::uint8_t[]> previous_;
  std::unique_ptr<std::uint8_t[]> row_;  // width_ bytes
  std::vector<Context> firstPlane_;
  std::vector<Context> otherPlanes_;
};

}  // namespace pelmora::unace::decode
