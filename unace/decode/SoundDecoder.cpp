#include "unace/decode/SoundDecoder.h"

#include <cstdlib>
#include <string>

namespace pelmora::unace::decode {

namespace {

constexpr int kMaxWidth = 10;
constexpr int kMaxIndex = 288;
constexpr std::uint32_t kTypeCode = 288;
constexpr std::uint32_t kRunSymbols = 32;

constexpr std::uint8_t kChannels8[4] = {0, 0, 0, 0};
constexpr std::uint8_t kChannels16[4] = {0, 1, 0, 1};
constexpr std::uint8_t kChannels32A[4] = {0, 1, 0, 2};
constexpr std::uint8_t kChannels32B[4] = {1, 0, 2, 0};

int Signed8(int x) { return static_cast<std::int8_t>(static_cast<std::uint8_t>(x & 0xFF)); }

int BitLength(int x) {
  unsigned v = static_cast<unsigned>(std::abs(x));
  int n = 0;
  while (v != 0) {
    ++n;
    v >>= 1;
  }
  return n;
}

}  // namespace

void SoundDecoder::Start(std::uint32_t mode) {
  switch (mode) {
    case 3:
      channelOf_ = kChannels8;
      channels_ = 1;
      break;
    case 4:
      channelOf_ = kChannels16;
      channels_ = 2;
      break;
    case 5:
      channelOf_ = kChannels32A;
      channels_ = 3;
      break;
    default:
      channelOf_ = kChannels32B;
      channels_ = 3;
      break;
  }
  symbolsLeft_ = 0;
  channel_ = {};
  segmentPos_ = 0;
}

std::uint32_t SoundDecoder::ReadSymbol(BitReader& bits, int model) {
  if (symbolsLeft_ == 0) {
    for (int m = 0; m < 3 * channels_; ++m)
      if (!models_[m].Read(bits, kMaxIndex, kMaxWidth)) return kTypeCode;
    symbolsLeft_ = bits.Read(15);
    if (symbolsLeft_ == 0) {
      bits.Fault().NoteCorrupt("SOUND block of 0 symbols");
      return kTypeCode;
    }
  }
  --symbolsLeft_;
  return models_[model].Decode(bits);
}

int SoundDecoder::NextResidual(BitReader& bits, int c) {
  Channel& ch = channel_[c];
  switch (ch.runState) {
    case 2:
      if (ch.runPending == 0)
        ch.runState = 1;
      else
        --ch.runPending;
      return 0;
    case 1: {
      const std::uint32_t s = ReadSymbol(bits, 3 * c + 2);
      if (s == kTypeCode) return kSwitch;
      if (s > 255) {
        bits.Fault().NoteCorrupt("SOUND value symbol " + std::to_string(s) + " after a zero run");
        return kSwitch;
      }
      ch.runState = 0;
      return static_cast<int>(s);
    }
    default: {
      const std::uint32_t s = ReadSymbol(bits, 3 * c + ch.busyModel);
      if (s == kTypeCode || s == HuffmanTable::kNoSymbol) return kSwitch;
      if (s >= kRunSymbols) {
        const int v = static_cast<int>(s - kRunSymbols);
        ch.activity = ((ch.activity * 7) >> 3) + v;
        ch.busyModel = ch.activity > 40 ? 1 : 0;
        return v;
      }
      if (s == 0) {
        ch.runState = 1;
      } else {
        ch.runState = 2;
        ch.runPending = static_cast<int>(s) - 1;
      }
      return 0;
    }
  }
}

std::uint8_t SoundDecoder::PredictAndUpdate(Channel& ch, int v) {
  const int residual = (v & 1) == 0 ? v / 2 : 255 - (v - 1) / 2;
  const auto& K = ch.history;
  auto& C = ch.coefficients;
  const int linear =
      ((8 * ch.last + C[0] * K[0] + C[1] * K[1] + C[2] * K[2] + C[3] * K[3]) >> 3) & 0xFF;
  const int prediction = ch.countA > ch.countB ? (ch.last & 0xFF) : linear;
  const std::uint8_t sample = static_cast<std::uint8_t>(prediction + residual);

  const int s = Signed8(sample);
  ++ch.samples;
  const int e = 8 * Signed8(linear - s);
  for (int j = 0; j < 4; ++j) {
    ch.errors[2 * j] += std::abs(e - K[j]);
    ch.errors[2 * j + 1] += std::abs(e + K[j]);
  }
  ch.errors[8] += std::abs(e);
  const int difference = Signed8(s - ch.last);
  ch.countA += BitLength(Signed8(linear - s));
  ch.countB += BitLength(Signed8(ch.last - s));
  ch.last = s;
  if (ch.samples % 32 == 0) {
    int best = 0;
    for (int j = 1; j < 9; ++j)
      if (ch.errors[j] < ch.errors[best]) best = j;
    ch.errors = {};
    if (best != 8) {
      if (best % 2 == 0) {
        if (C[best / 2] >= -16) --C[best / 2];
      } else {
        if (C[(best - 1) / 2] <= 16) ++C[(best - 1) / 2];
      }
    }
    if (ch.samples % 256 == 0) {
      ch.countA -= ch.previousA;
      ch.previousA = ch.countA;
      ch.countB -= ch.previousB;
      ch.previousB = ch.countB;
    }
  }
  auto& H = ch.history;
  H[3] = H[2];
  H[2] = H[1];
  H[1] = difference - H[0];
  H[0] = difference;
  return sample;
}

bool SoundDecoder::Pass(BitReader& bits, Window& window, OutputSink& sink,
                        const std::uint8_t* block, std::size_t n) {
  if (!window.Append(block, n)) {
    bits.Fault().Note(Status::OutOfMemory, "out of memory for the window");
    return false;
  }
  sink.Write(block, n);
  return true;
}

bool SoundDecoder::Decode(BitReader& bits, Window& window, OutputSink& sink, std::uint64_t limit,
                          std::uint64_t& produced) {
  std::uint8_t block[4096];
  std::size_t used = 0;
  bool switched = false;
  std::uint64_t done = 0;
  // Zero bits past the data's end may decode as valid symbols: the loop
  // looks at the fault state every byte.
  while (done < limit && !bits.Failed()) {
    const int c = channelOf_[segmentPos_ & 3];
    const int v = NextResidual(bits, c);
    if (v == kSwitch) {
      switched = true;
      break;
    }
    block[used++] = PredictAndUpdate(channel_[c], v);
    ++segmentPos_;
    ++done;
    if (used == sizeof block) {
      if (!Pass(bits, window, sink, block, used)) return false;
      used = 0;
    }
  }
  if (bits.Failed() || !Pass(bits, window, sink, block, used)) return false;
  produced += done;
  return switched;
}

}  // namespace pelmora::unace::decode
