#include "unace/decode/OutputSink.h"

#include <algorithm>
#include <cstring>

#include "unace/decode/DecodeError.h"

namespace pelmora::unace::decode {

namespace {
constexpr std::size_t kBlockSize = 64 * 1024;
}

OutputSink::OutputSink(Output& output) : OutputSink(output, ownBuffer_) {}

OutputSink::OutputSink(Output& output, std::vector<std::uint8_t>& buffer) : output_(output), buffer_(buffer) {
  buffer_.resize(kBlockSize);
}

void OutputSink::deliver(const std::uint8_t* data, std::size_t n) {
  if (n == 0) return;
  if (!output_.write(data, n)) throw DecodeError(Status::Aborted, "stopped by the caller");
}

void OutputSink::write(const std::uint8_t* data, std::size_t n) {
  written_ += n;
  if (used_ == 0 && n >= kBlockSize / 2) {
    deliver(data, n);
    return;
  }
  while (n > 0) {
    const std::size_t piece = std::min(n, buffer_.size() - used_);
    std::memcpy(buffer_.data() + used_, data, piece);
    used_ += piece;
    data += piece;
    n -= piece;
    if (used_ == buffer_.size()) flush();
  }
}

void OutputSink::writeFromWindow(const Window& window, std::uint64_t from, std::size_t n) {
  const std::uint8_t* ring = window.data();
  while (n > 0) {
    const std::size_t at = static_cast<std::size_t>(from) & window.mask();
    const std::size_t piece = std::min(n, window.capacity() - at);
    write(ring + at, piece);
    from += piece;
    n -= piece;
  }
}

void OutputSink::flush() {
  const std::size_t n = used_;
  used_ = 0;
  deliver(buffer_.data(), n);
}

}  // namespace pelmora::unace::decode
