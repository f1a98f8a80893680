#include "unace/decode/OutputSink.h"

#include <algorithm>
#include <cstring>

namespace pelmora::unace::decode {

namespace {
constexpr std::size_t kBlockSize = 64 * 1024;
}

OutputSink::OutputSink(Output& output, std::vector<std::uint8_t>& buffer, FaultState& fault)
    : output_(output), buffer_(buffer), fault_(fault) {
  buffer_.resize(kBlockSize);
}

void OutputSink::Deliver(const std::uint8_t* data, std::size_t n) {
  if (n == 0 || fault_.Failed()) return;
  if (!output_.Write(data, n)) fault_.Note(Status::Aborted, "stopped by the caller");
}

void OutputSink::Write(const std::uint8_t* data, std::size_t n) {
  written_ += n;
  if (used_ == 0 && n >= kBlockSize / 2) {
    Deliver(data, n);
    return;
  }
  while (n > 0) {
    const std::size_t piece = std::min(n, buffer_.size() - used_);
    std::memcpy(buffer_.data() + used_, data, piece);
    used_ += piece;
    data += piece;
    n -= piece;
    if (used_ == buffer_.size()) Flush();
  }
}

void OutputSink::WriteFromWindow(const Window& window, std::uint64_t from, std::size_t n) {
  const std::uint8_t* ring = window.Data();
  while (n > 0) {
    const std::size_t at = static_cast<std::size_t>(from) & window.Mask();
    const std::size_t piece = std::min(n, window.Capacity() - at);
    Write(ring + at, piece);
    from += piece;
    n -= piece;
  }
}

void OutputSink::Flush() {
  const std::size_t n = used_;
  used_ = 0;
  Deliver(buffer_.data(), n);
}

}  // namespace pelmora::unace::decode
