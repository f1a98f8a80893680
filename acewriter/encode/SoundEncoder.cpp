#include "acewriter/encode/SoundEncoder.h"

#include <array>
#include <cstdlib>
#include <stdexcept>
#include <vector>

#include "acewriter/encode/AceSymbols.h"
#include "acewriter/encode/WidthTable.h"

namespace pelmora::acewriter::encode {
namespace {

constexpr unsigned kSoundSymbols = 289;
constexpr unsigned kSoundSwitch = 288;
constexpr unsigned kSoundMaxWidth = 10;
constexpr unsigned kMaxRun = 32;  // run symbols 0..31 stand for 1..32 zeros

int Signed8(int x) { return ((x + 128) & 255) - 128; }

unsigned BitLengthOf(int x) { return BitLength(static_cast<std::uint32_t>(std::abs(x))); }

// The adaptive predictor of one channel, step for step as the reader runs it.
class Predictor {
 public:
  // The byte the reader predicts for this channel's next sample.
  std::uint8_t Predict() {
    linear_ =
        ((8 * last_ + c_[0] * k_[0] + c_[1] * k_[1] + c_[2] * k_[2] + c_[3] * k_[3]) >> 3) & 255;
    return static_cast<std::uint8_t>(cntA_ > cntB_ ? (last_ & 255) : linear_);
  }

  void Update(std::uint8_t sample) {
    const int s = Signed8(sample);
    ++count_;
    const int e = 8 * Signed8(linear_ - s);
    for (int j = 0; j < 4; ++j) {
      err_[2 * j] += std::abs(e - k_[j]);
      err_[2 * j + 1] += std::abs(e + k_[j]);
    }
    err_[8] += std::abs(e);
    const int d = Signed8(s - last_);
    cntA_ += BitLengthOf(Signed8(linear_ - s));
    cntB_ += BitLengthOf(Signed8(last_ - s));
    last_ = s;
    if (count_ % 32 == 0) {
      int best = 0;
      for (int j = 1; j < 9; ++j)
        if (err_[j] < err_[best]) best = j;
      err_.fill(0);
      if (best != 8) {
        if (best % 2 == 0) {
          if (c_[best / 2] >= -16) --c_[best / 2];
        } else if (c_[(best - 1) / 2] <= 16) {
          ++c_[(best - 1) / 2];
        }
      }
      if (count_ % 256 == 0) {
        cntA_ -= prevA_;
        prevA_ = cntA_;
        cntB_ -= prevB_;
        prevB_ = cntB_;
      }
    }
    k_[3] = k_[2];
    k_[2] = k_[1];
    k_[1] = d - k_[0];
    k_[0] = d;
  }

 private:
  int last_ = 0;
  int linear_ = 0;
  std::array<int, 4> k_{};
  std::array<int, 4> c_{};
  std::array<long, 9> err_{};
  long cntA_ = 0, cntB_ = 0, prevA_ = 0, prevB_ = 0;
  std::uint64_t count_ = 0;
};

// The per-channel symbol state machine (normal / after a run / inside a run).
struct ChannelCoder {
  Predictor predictor;
  int state = 0;  // 0 normal, 1 after a run, 2 inside a run
  unsigned pending = 0;
  unsigned activity = 0;
  bool busy = false;
};

struct Symbol {
  std::uint8_t model;
  std::uint16_t value;
};

// Buffers (model, symbol) pairs and writes them as SOUND blocks: a width
// table per model, the 15-bit count, the symbols.
class SymbolBlocks {
 public:
  SymbolBlocks(BitWriter& out, unsigned models) : out_(out), models_(models) {
    symbols_.reserve(kMaxBlockSymbols);
  }

  void Add(unsigned model, unsigned value) {
    symbols_.push_back({static_cast<std::uint8_t>(model), static_cast<std::uint16_t>(value)});
    if (symbols_.size() == kMaxBlockSymbols) Flush();
  }

  void Flush() {
    if (symbols_.empty()) return;
    std::vector<std::vector<std::uint32_t>> frequencies(
        models_, std::vector<std::uint32_t>(kSoundSymbols, 0));
    for (const auto& s : symbols_) ++frequencies[s.model][s.value];
    std::vector<SymbolCode> codes;
    for (unsigned m = 0; m < models_; ++m)
      codes.push_back(SendCodeFor(out_, frequencies[m], kSoundMaxWidth));
    out_.Put(static_cast<std::uint32_t>(symbols_.size()), 15);
    for (const auto& s : symbols_) codes[s.model].Put(out_, s.value);
    symbols_.clear();
  }

 private:
  BitWriter& out_;
  unsigned models_;
  std::vector<Symbol> symbols_;
};

const std::array<std::uint8_t, 4>& ChannelMap(SoundLayout layout) {
  static constexpr std::array<std::uint8_t, 4> kMono8{0, 0, 0, 0};
  static constexpr std::array<std::uint8_t, 4> kMono16{0, 1, 0, 1};
  static constexpr std::array<std::uint8_t, 4> kStereo{0, 1, 0, 2};
  static constexpr std::array<std::uint8_t, 4> kSwapped{1, 0, 2, 0};
  switch (layout) {
    case SoundLayout::Mono8:
      return kMono8;
    case SoundLayout::Mono16:
      return kMono16;
    case SoundLayout::Stereo16:
      return kStereo;
    case SoundLayout::Stereo16Swapped:
      return kSwapped;
  }
  return kMono8;
}

unsigned ChannelCount(SoundLayout layout) {
  return layout == SoundLayout::Mono8 ? 1 : (layout == SoundLayout::Mono16 ? 2 : 3);
}

unsigned ZigZag(int s) {
  return s >= 0 ? static_cast<unsigned>(2 * s) : static_cast<unsigned>(-2 * s - 1);
}

}  // namespace

void EncodeSoundSegment(BitWriter& out, std::span<const std::uint8_t> bytes, SoundLayout layout,
                        const ModeRecord* switchTo) {
  if (bytes.size() % 4 != 0)
    throw std::logic_error("EncodeSoundSegment: length is not a multiple of 4");
  const auto& map = ChannelMap(layout);
  const unsigned channels = ChannelCount(layout);
  std::vector<ChannelCoder> coders(channels);

  // First the residuals of every byte, since a run length depends on the
  // zeros still to come in the same channel.
  std::vector<std::uint8_t> residual(bytes.size());
  {
    std::vector<Predictor> predictors(channels);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      Predictor& p = predictors[map[i % 4]];
      const std::uint8_t prediction = p.Predict();
      residual[i] = static_cast<std::uint8_t>(ZigZag(Signed8(bytes[i] - prediction)));
      p.Update(bytes[i]);
    }
  }
  std::array<std::size_t, 4> sameChannelStep{};
  for (std::size_t r = 0; r < 4; ++r) {
    std::size_t t = 1;
    while (map[(r + t) % 4] != map[r]) ++t;
    sameChannelStep[r] = t;
  }
  // Zero residuals of byte i's channel from i on, at most one run's worth.
  const auto zerosAhead = [&](std::size_t i) {
    unsigned n = 0;
    for (; i < residual.size() && residual[i] == 0 && n < kMaxRun; i += sameChannelStep[i % 4]) ++n;
    return n;
  };

  SymbolBlocks blocks(out, 3 * channels);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const unsigned c = map[i % 4];
    ChannelCoder& ch = coders[c];
    const unsigned v = residual[i];
    const unsigned model = 3 * c;
    if (ch.state == 2) {
      if (v != 0) throw std::logic_error("EncodeSoundSegment: zero run overran its zeros");
      if (ch.pending == 0)
        ch.state = 1;
      else
        --ch.pending;
    } else if (ch.state == 1) {
      blocks.Add(model + 2, v);
      ch.state = 0;
    } else if (const unsigned run = v == 0 ? zerosAhead(i) : 0; run >= 2) {
      blocks.Add(model + (ch.busy ? 1 : 0), run - 1);
      ch.state = 2;
      ch.pending = run - 2;
    } else {
      blocks.Add(model + (ch.busy ? 1 : 0), v + 32);
      ch.activity = ch.activity * 7 / 8 + v;
      ch.busy = ch.activity > 40;
    }
  }
  if (switchTo != nullptr) {
    // The switch symbol goes with the model the next sample would use.
    const ChannelCoder& ch = coders[map[0]];
    if (ch.state == 2) throw std::logic_error("EncodeSoundSegment: run pending at the switch");
    blocks.Add(3 * map[0] + (ch.state == 1 ? 2 : (ch.busy ? 1 : 0)), kSoundSwitch);
  }
  blocks.Flush();
  if (switchTo != nullptr) {
    if (switchTo->count > 32)
      out.Put(static_cast<std::uint32_t>(switchTo->bits >> 32), switchTo->count - 32);
    out.Put(static_cast<std::uint32_t>(switchTo->bits),
            switchTo->count > 32 ? 32 : switchTo->count);
  }
}

}  // namespace pelmora::acewriter::encode
