// Undoes the x86 branch filter of EXE segments: the compressor made the
// operands of CALL (0xE8) and JMP (0xE9) absolute by adding the opcode's
// offset in the member; here that offset is subtracted again.
//
// Bytes arrive in pieces. An opcode is only handled with four bytes after it
// in the same segment, so up to four unscanned bytes wait for the next piece.
// At a segment end an opcode among the last three bytes is treated as an
// instruction cut by the mode switch: it and the bytes after it are held back
// and rescanned if the next segment is EXE too, otherwise passed on as they are.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "unace/decode/OutputSink.h"
#include "unace/decode/Window.h"

namespace pelmora::unace::decode {

class ExeFilter {
 public:
  // An EXE segment starts at `memberOffset`; a non-zero mode treats CALL
  // operands as 32-bit. Held-back bytes keep their own, earlier offsets.
  void begin(std::uint8_t exeMode, std::uint64_t memberOffset) {
    callIs32Bit_ = exeMode != 0;
    if (work_.empty()) workOffset_ = memberOffset;
  }
  // Bytes of the segment, taken from the window, which keeps them filtered.
  void Feed(const Window& window, std::uint64_t from, std::size_t n, OutputSink& sink);
  // The segment ends with a mode switch.
  void EndSegment(OutputSink& sink);
  // Passes held-back bytes on unchanged (a non-EXE segment starts, or the member ends).
  void Release(OutputSink& sink);

 private:
  void Scan(OutputSink& sink);

  bool callIs32Bit_ = true;
  std::vector<std::uint8_t> work_;  // unscanned or held-back bytes, then the new piece
  std::uint64_t workOffset_ = 0;    // member offset of work_[0]
};

}  // namespace pelmora::unace::decode
