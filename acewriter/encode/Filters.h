// The reversible byte transforms in front of the LZ77 coder in the ACE 2.0
// EXE and DELTA modes. Each produces exactly the bytes the reader keeps in
// its window for that segment.
#pragma once

#include <cstdint>
#include <span>
#include <utility>
#include <vector>

namespace pelmora::acewriter::encode {

// x86 CALL/JMP filter: relative branch targets become absolute by adding
// the opcode's offset from the member start. exeMode 0 treats CALL targets
// as 16-bit, 1 as 32-bit; JMP is 16-bit in both. The scan stops where fewer
// than four bytes follow an opcode, as the reader's does.
std::vector<std::uint8_t> ExeFilter(std::span<const std::uint8_t> segment,
                                    std::uint64_t memberOffset, std::uint8_t exeMode);

// The same filter for a segment that arrives in pieces: Feed returns the
// bytes that are final (an opcode near the end waits for its operand),
// Finish the rest. The result equals ExeFilter over the whole segment.
class ExeFilterStream {
 public:
  ExeFilterStream(std::uint64_t memberOffset, std::uint8_t exeMode)
      : offset_(memberOffset), exeMode_(exeMode) {}
  std::vector<std::uint8_t> Feed(std::span<const std::uint8_t> bytes);
  std::vector<std::uint8_t> Finish() { return std::exchange(pending_, {}); }

 private:
  std::vector<std::uint8_t> pending_;
  std::uint64_t offset_;  // member offset of pending_'s first byte
  std::uint8_t exeMode_;
};

// True when the segment may end here: none of its last three bytes is a
// CALL or JMP opcode (the reader would hold such a cut instruction back).
bool ExeSegmentMayEnd(std::span<const std::uint8_t> segment);

// One DELTA chunk: the bytes are split into `distance` planes, the planes
// concatenated and each byte replaced by its difference to the one before;
// `running` carries the last plane byte from chunk to chunk.
std::vector<std::uint8_t> DeltaChunk(std::span<const std::uint8_t> chunk, unsigned distance,
                                     std::uint8_t& running);

}  // namespace pelmora::acewriter::encode
