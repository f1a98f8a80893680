// SOUND modes: per channel an adaptive linear predictor, whose residuals are
// Huffman-coded with three models per channel (normal, after busy values,
// after a zero run). Bytes are spread over the channels by their position
// in the segment, modulo 4.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "unace/decode/BitReader.h"
#include "unace/decode/Huffman.h"
#include "unace/decode/OutputSink.h"
#include "unace/decode/Window.h"

namespace pelmora::unace::decode {

class SoundDecoder {
 public:
  static constexpr std::uint32_t kFirstMode = 3;  // SOUND_8
  static constexpr std::uint32_t kLastMode = 6;   // SOUND_32B

  // Fresh state for mode 3..6, entered from a different mode.
  void Start(std::uint32_t mode);
  // A switch to the same mode keeps all state but starts a new segment.
  void ContinueSegment() { segmentPos_ = 0; }

  // Decodes until `limit` more bytes are produced or a switch symbol is read
  // (returns true then). Bytes go to the window and the sink; `produced`
  // counts them. Stops at a fault, noted in the reader's fault state,
  // without handing on the bytes of the unfinished block.
  bool Decode(BitReader& bits, Window& window, OutputSink& sink, std::uint64_t limit,
              std::uint64_t& produced);

 private:
  struct Channel {
    // Residual symbol state.
    int runState = 0;  // 0 normal, 1 after a run, 2 inside a run
    int runPending = 0;
    int activity = 0;
    int busyModel = 0;
    // Predictor.
    int last = 0;
    std::array<int, 4> history{};       // K: recent differences
    std::array<int, 4> coefficients{};  // C
    std::array<int, 9> errors{};        // E
    int countA = 0, countB = 0, previousA = 0, previousB = 0;
    std::uint32_t samples = 0;
  };
  static constexpr int kSwitch = -1;

  std::uint32_t ReadSymbol(BitReader& bits, int model);
  int NextResidual(BitReader& bits, int channel);
  std::uint8_t PredictAndUpdate(Channel& ch, int residual);
  // Into the window and on to the sink; false after a fault.
  static bool Pass(BitReader& bits, Window& window, OutputSink& sink, const std::uint8_t* block,
                   std::size_t n);

  const std::uint8_t* channelOf_ = nullptr;  // byte position mod 4 -> channel
  int channels_ = 1;
  std::array<HuffmanTable, 9> models_;
  std::uint32_t symbolsLeft_ = 0;
  std::array<Channel, 3> channel_{};
  std::uint64_t segmentPos_ = 0;
};

}  // namespace pelmora::unace::decode
