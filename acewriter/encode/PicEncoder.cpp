#include "acewriter/encode/PicEncoder.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <stdexcept>
#include <vector>

#include "acewriter/encode/AceSymbols.h"
#include "unace/decode/PicQuantize.h"

namespace pelmora::acewriter::encode {
namespace {

constexpr unsigned kContexts = 365;

int Signed8(int x) { return ((x + 128) & 255) - 128; }
unsigned ZigZag(int s) {
  return s >= 0 ? static_cast<unsigned>(2 * s) : static_cast<unsigned>(-2 * s - 1);
}

struct Context {
  unsigned used = 0;
  unsigned average = 4;
  unsigned predictor = 0;
  std::array<unsigned, 4> errors{};
};

using Model = std::vector<Context>;

// Transform of a byte against the byte of the previous plane of its pixel.
int Transform(int type, int value, int reference) {
  switch (type) {
    case 1:
      return (128 + value - reference) & 255;
    case 2:
      return (128 + value - reference * 11 / 16) & 255;
    default:
      return value;
  }
}

class PicCoder {
 public:
  PicCoder(BitWriter& out, const PicGeometry& g)
      : out_(out),
        g_(g),
        previous_(g.width + g.planes, 0),
        models_{Model(kContexts), Model(kContexts)} {}

  void CodeRow(std::span<const std::uint8_t> row) {
    out_.Put(1, 1);
    for (std::uint32_t p = 0; p < g_.planes; ++p) {
      int type = 0;
      if (p >= 1) {
        type = g_.planeType >= 0 ? g_.planeType : ChooseType(row, p);
        out_.Put(static_cast<std::uint32_t>(type), 2);
      }
      CodePlane(row, p, type);
    }
    std::copy(row.begin(), row.end(), previous_.begin());
  }

 private:
  // Picks the transform whose values vary least along the plane.
  int ChooseType(std::span<const std::uint8_t> row, std::uint32_t p) const {
    std::array<long, 3> cost{};
    for (int type = 0; type < 3; ++type) {
      int left = type == 0 ? 0 : 128;
      for (std::uint32_t col = p; col < g_.width; col += g_.planes) {
        const int x = Transform(type, row[col], row[col - 1]);
        cost[static_cast<std::size_t>(type)] += std::abs(x - left);
        left = x;
      }
    }
    return static_cast<int>(std::min_element(cost.begin(), cost.end()) - cost.begin());
  }

  void CodePlane(std::span<const std::uint8_t> row, std::uint32_t p, int type) {
    Model& model = models_[p == 0 ? 0 : 1];
    const int start = type == 0 ? 0 : 128;
    int a = start, b = start, c = start, x = start;
    int d = Transform(type, previous_[p], p == 0 ? 0 : previous_[p - 1]);
    for (std::uint32_t col = p; col < g_.width; col += g_.planes) {
      c = a;
      a = d;
      b = x;
      d = Transform(type, previous_[col + g_.planes], previous_[col + g_.planes - 1]);
      using unace::decode::PicQuantize;
      const int q = std::abs(81 * PicQuantize(d - a) + 9 * PicQuantize(a - c) + PicQuantize(c - b));
      Context& ctx = model[static_cast<std::size_t>(q)];
      ++ctx.used;
      const unsigned k = BitLength(ctx.average / ctx.used);
      const std::array<int, 4> predictions{a, b, (a + b) / 2, (a + b - c) & 255};
      const int target = Transform(type, row[col], col >= 1 ? row[col - 1] : 0);
      const int error = Signed8(target - predictions[ctx.predictor]);
      PutRice(out_, ZigZag(error), k);
      x = target;
      ctx.average += static_cast<unsigned>(std::abs(error));
      if (ctx.used == 128) {
        ctx.used = 64;
        ctx.average /= 2;
      }
      bool halve = false;
      for (std::size_t i = 0; i < 4; ++i) {
        ctx.errors[i] += BitLength(ZigZag(Signed8(x - predictions[i])));
        halve = halve || ctx.errors[i] > 127;
      }
      ctx.predictor = static_cast<unsigned>(std::min_element(ctx.errors.begin(), ctx.errors.end()) -
                                            ctx.errors.begin());
      if (halve)
        for (auto& e : ctx.errors) e /= 2;
    }
  }

  BitWriter& out_;
  PicGeometry g_;
  std::vector<std::uint8_t> previous_;
  std::array<Model, 2> models_;
};

}  // namespace

void PutRice(BitWriter& out, std::uint32_t value, unsigned r) {
  out.Put(value & ((std::uint32_t{1} << r) - 1), r);
  for (std::uint32_t ones = value >> r; ones > 0;) {
    const unsigned n = ones > 32 ? 32 : static_cast<unsigned>(ones);
    out.Put(0xFFFFFFFFu, n);
    ones -= n;
  }
  out.Put(0, 1);
}

void EncodePicSegment(BitWriter& out, std::span<const std::uint8_t> bytes,
                      const PicGeometry& geometry, const ModeRecord* switchTo) {
  if (geometry.width == 0 || geometry.planes == 0)
    throw std::logic_error("EncodePicSegment: empty geometry");
  if (switchTo != nullptr && bytes.size() % geometry.width != 0)
    throw std::logic_error("EncodePicSegment: a partial row is only allowed at the member end");
  PutRice(out, geometry.width, 12);
  PutRice(out, geometry.planes, 2);
  PicCoder coder(out, geometry);
  std::vector<std::uint8_t> padded(geometry.width, 0);
  for (std::size_t start = 0; start < bytes.size(); start += geometry.width) {
    const std::size_t n = std::min<std::size_t>(geometry.width, bytes.size() - start);
    if (n == geometry.width) {
      coder.CodeRow(bytes.subspan(start, n));
    } else {
      std::fill(padded.begin(), padded.end(), 0);
      std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(start), n, padded.begin());
      coder.CodeRow(padded);
    }
  }
  if (switchTo != nullptr) {
    out.Put(0, 1);
    if (switchTo->count > 32)
      out.Put(static_cast<std::uint32_t>(switchTo->bits >> 32), switchTo->count - 32);
    out.Put(static_cast<std::uint32_t>(switchTo->bits),
            switchTo->count > 32 ? 32 : switchTo->count);
  }
}

}  // namespace pelmora::acewriter::encode
