#include "unace/decode/ExeFilter.h"

#include <algorithm>

namespace pelmora::unace::decode {

namespace {
constexpr std::uint8_t kCall = 0xE8;
constexpr std::uint8_t kJump = 0xE9;

void SubtractLittleEndian(std::uint8_t* p, int bytes, std::uint64_t offset) {
  std::uint32_t value = 0;
  for (int i = 0; i < bytes; ++i) value |= static_cast<std::uint32_t>(p[i]) << (8 * i);
  value -= static_cast<std::uint32_t>(offset);
  for (int i = 0; i < bytes; ++i) p[i] = static_cast<std::uint8_t>(value >> (8 * i));
}
}  // namespace

void ExeFilter::Feed(const Window& window, std::uint64_t from, std::size_t n, OutputSink& sink) {
  const std::size_t old = work_.size();
  work_.resize(old + n);
  window.CopyOut(from, n, work_.data() + old);
  Scan(sink);
}

void ExeFilter::Scan(OutputSink& sink) {
  std::uint8_t* b = work_.data();
  const std::size_t n = work_.size();
  std::size_t i = 0;
  while (i + 4 < n) {
    if (b[i] == kCall && callIs32Bit_) {
      SubtractLittleEndian(b + i + 1, 4, workOffset_ + i);
      i += 5;
    } else if (b[i] == kCall || b[i] == kJump) {
      SubtractLittleEndian(b + i + 1, 2, workOffset_ + i);
      i += 3;
    } else {
      ++i;
    }
  }
  sink.Write(b, i);
  work_.erase(work_.begin(), work_.begin() + static_cast<std::ptrdiff_t>(i));
  workOffset_ += i;
}

void ExeFilter::EndSegment(OutputSink& sink) {
  // work_ now holds the segment's unscanned tail (at most four bytes).
  const std::size_t n = work_.size();
  std::size_t held = n;
  for (std::size_t k = n > 3 ? n - 3 : 0; k < n; ++k) {
    if (work_[k] == kCall || work_[k] == kJump) {
      held = k;
      break;
    }
  }
  sink.Write(work_.data(), held);
  work_.erase(work_.begin(), work_.begin() + static_cast<std::ptrdiff_t>(held));
  workOffset_ += held;
}

void ExeFilter::Release(OutputSink& sink) {
  sink.Write(work_.data(), work_.size());
  workOffset_ += work_.size();
  work_.clear();
}

}  // namespace pelmora::unace::decode
