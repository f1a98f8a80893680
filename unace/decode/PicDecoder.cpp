#include "unace/decode/PicDecoder.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "unace/decode/PicQuantize.h"

namespace pelmora::unace::decode {

namespace {

// A residual only needs 8 bits; anything far beyond is damage.
constexpr std::uint32_t kResidualLimit = 1u << 24;

int BitLength(std::uint32_t v) {
  int n = 0;
  while (v != 0) {
    ++n;
    v >>= 1;
  }
  return n;
}

int ZigZagBitLength(int difference) {
  const int s = static_cast<std::int8_t>(static_cast<std::uint8_t>(difference & 0xFF));
  return BitLength(static_cast<std::uint32_t>(s >= 0 ? 2 * s : -2 * s - 1));
}

// The transform of previous-row bytes for plane decoder types 1 and 2.
int Transform(int type, int value, int reference) {
  switch (type) {
    case 0:
      return value;
    case 1:
      return (128 + value - reference) & 0xFF;
    default:
      return (128 + value - reference * 11 / 16) & 0xFF;
  }
}

[[gnu::cold, gnu::noinline]] std::uint32_t NoteRiceAbove(BitReader& bits, std::uint32_t limit) {
  bits.Fault().NoteCorrupt("Rice code above " + std::to_string(limit));
  return 0;
}

}  // namespace

std::uint32_t ReadRice(BitReader& bits, int r, std::uint32_t limit) {
  std::uint64_t v = bits.Read(r);
  if (v > limit) return NoteRiceAbove(bits, limit);
  while (bits.ReadBit()) {
    v += std::uint64_t{1} << r;
    if (v > limit) return NoteRiceAbove(bits, limit);
  }
  return static_cast<std::uint32_t>(v);
}

std::int32_t ReadSignedRice(BitReader& bits, int r, std::uint32_t limit) {
  const std::uint32_t v = ReadRice(bits, r, limit);
  return (v & 1) ? -static_cast<std::int32_t>(v >> 1) - 1 : static_cast<std::int32_t>(v >> 1);
}

void PicDecoder::Start(BitReader& bits) {
  const std::uint32_t width = ReadRice(bits, 12, kMaxWidth + 1);
  const std::uint32_t planes = ReadRice(bits, 2, kMaxPlanes + 1);
  if (bits.Failed()) return;
  if (width == 0 || width > kMaxWidth) {
    bits.Fault().NoteCorrupt("PIC row width " + std::to_string(width) + " out of range");
    return;
  }
  if (planes == 0 || planes > kMaxPlanes) {
    bits.Fault().NoteCorrupt("PIC plane count " + std::to_string(planes) + " out of range");
    return;
  }
  // The archive chooses the width (up to 1 MiB): memory it cannot have is
  // an answer, not the end of the process.
  width_ = 0;
  row_.reset();
  previous_.reset(new (std::nothrow) std::uint8_t[width + planes]);
  if (previous_) row_.reset(new (std::nothrow) std::uint8_t[width]);
  if (!row_) {
    bits.Fault().Note(Status::OutOfMemory, "out of memory for a PIC row");
    return;
  }
  width_ = width;
  planes_ = planes;
  std::memset(previous_.get(), 0, width_ + planes_);
  std::memset(row_.get(), 0, width_);
  firstPlane_.assign(kContexts, Context{});
  otherPlanes_.assign(kContexts, Context{});
}

void PicDecoder::DecodePlane(BitReader& bits, std::size_t p, int type,
                             std::vector<Context>& model) {
  const std::uint8_t* prev = previous_.get();
  const int initial = type == 0 ? 0 : 128;
  int a = initial, b = initial, c = initial, x = initial;
  int d = Transform(type, prev[p], p > 0 ? prev[p - 1] : 0);
  for (std::size_t col = p; col < width_; col += planes_) {
    c = a;
    a = d;
    b = x;
    d = Transform(type, prev[col + planes_], prev[col + planes_ - 1]);
    const int q = std::abs(81 * PicQuantize(d - a) + 9 * PicQuantize(a - c) + PicQuantize(c - b));
    Context& ctx = model[static_cast<std::size_t>(q)];
    ++ctx.used;
    const int k = BitLength(static_cast<std::uint32_t>(ctx.average / ctx.used));
    const std::int32_t epsilon = ReadSignedRice(bits, k, kResidualLimit);
    const int predictions[4] = {a, b, (a + b) / 2, (a + b - c) & 0xFF};
    x = (predictions[ctx.predictor] + epsilon) & 0xFF;

    ctx.average += std::abs(epsilon);
    if (ctx.used == 128) {
      ctx.used = 64;
      ctx.average /= 2;
    }
    bool halve = false;
    for (int i = 0; i < 4; ++i) {
      ctx.errors[i] += ZigZagBitLength(x - predictions[i]);
      halve = halve || ctx.errors[i] > 127;
    }
    ctx.predictor = 0;
    for (int i = 1; i < 4; ++i)
      if (ctx.errors[i] < ctx.errors[ctx.predictor]) ctx.predictor = i;
    if (halve)
      for (int& e : ctx.errors) e /= 2;

    int out = x;
    if (type == 1) out = x + row_[col - 1] - 128;
    if (type == 2) out = x + row_[col - 1] * 11 / 16 - 128;
    row_[col] = static_cast<std::uint8_t>(out & 0xFF);
  }
}

void PicDecoder::DecodeRow(BitReader& bits) {
  DecodePlane(bits, 0, 0, firstPlane_);
  for (std::size_t p = 1; p < planes_; ++p) {
    const int type = static_cast<int>(bits.Read(2));
    if (type == 3) {
      bits.Fault().NoteCorrupt("PIC plane decoder type 3");
      return;
    }
    DecodePlane(bits, p, type, otherPlanes_);
  }
  std::memcpy(previous_.get(), row_.get(), width_);
}

bool PicDecoder::Decode(BitReader& bits, Window& window, OutputSink& sink, std::uint64_t limit,
                        std::uint64_t& produced) {
  std::uint64_t done = 0;
  while (done < limit) {
    if (!bits.ReadBit()) {
      produced += done;
      return true;
    }
    // A row that met a fault is not handed on; after one, nothing is.
    DecodeRow(bits);
    if (bits.Failed()) return false;
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(width_, limit - done));
    if (!window.Append(row_.get(), n)) {
      bits.Fault().Note(Status::OutOfMemory, "out of memory for the window");
      return false;
    }
    sink.Write(row_.get(), n);
    done += n;
  }
  produced += done;
  return false;
}

}  // namespace pelmora::unace::decode
