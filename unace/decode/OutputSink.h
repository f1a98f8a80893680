// Collects decoded bytes into large blocks for the caller's Output, and turns
// the caller's "stop" answer into an Aborted fault. After any fault of the
// member nothing more reaches the caller: bytes decoded before damage was
// found but not yet handed on are never delivered.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "unace/decode/Decoder.h"
#include "unace/decode/Fault.h"
#include "unace/decode/Window.h"

namespace pelmora::unace::decode {

class OutputSink {
 public:
  // Collects in `buffer`, which outlives the sink, so that a decoder of many
  // members allocates it once; notes a stop in `fault`, the member's bit
  // reader's.
  OutputSink(Output& output, std::vector<std::uint8_t>& buffer, FaultState& fault);

  void Write(const std::uint8_t* data, std::size_t n);
  // Writes n bytes of the window starting at absolute position `from`.
  void WriteFromWindow(const Window& window, std::uint64_t from, std::size_t n);
  void Flush();
  std::uint64_t Written() const { return written_; }

 private:
  void Deliver(const std::uint8_t* data, std::size_t n);

  Output& output_;
  std::vector<std::uint8_t>& buffer_;
  FaultState& fault_;
  std::size_t used_ = 0;
  std::uint64_t written_ = 0;
};

}  // namespace pelmora::unace::decode
