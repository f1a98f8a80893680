// The LZ77 symbol stream of both formats: blocks of Huffman-coded literals
// and matches with a four-entry distance history. In the blocked format the
// same stream also carries the mode switches (TYPECODE) and survives them:
// tables, remaining block count and distance history continue.
#pragma once

#include <cstddef>
#include <cstdint>

#include "unace/decode/BitReader.h"
#include "unace/decode/Huffman.h"
#include "unace/decode/Window.h"

namespace pelmora::unace::decode {

class Lz77Stream {
 public:
  static constexpr std::uint32_t kTypeCode = 283;

  // `blocked` admits the TYPECODE symbol in the main alphabet.
  explicit Lz77Stream(bool blocked) : maxMainIndex_(blocked ? kTypeCode : kTypeCode - 1) {}

  enum class Stop { Enough, TypeCode, Failed };

  // Decodes into the window until at least `want` bytes are produced or a
  // TYPECODE is read. A match may run past `want` but never past `limit`
  // (the end of the member or of a DELTA chunk). Back-references may reach
  // at most `dictionary` bytes and never before the window's history.
  // `produced` receives the number of bytes written. Failed when the
  // reader's fault state holds a fault (damage, or a window that could not
  // grow, noted as out of memory); the bytes produced are then not to be
  // handed on.
  Stop Decode(BitReader& bits, Window& window, std::size_t want, std::size_t limit,
              std::uint32_t dictionary, std::size_t& produced);

 private:
  // What one Decode call works within.
  struct Segment {
    std::uint8_t* ring;
    std::size_t mask;
    std::uint64_t start;           // the window position at the call
    std::uint64_t historyAtStart;  // bytes a back-reference could reach then
    std::size_t limit;
    std::uint32_t dictionary;
  };

  // False after a fault.
  bool ReadBlockHeader(BitReader& bits);
  // Decodes one main symbol at `pos` with the distance history `recent`;
  // false for a TYPECODE or a fault (noted in the reader's fault state, and
  // nothing written then). `Bits` is a BitReader or a FastBits.
  template <typename Bits>
  bool Step(Bits& bits, const Segment& segment, std::uint64_t& pos, std::uint32_t* recent);

  int maxMainIndex_;
  HuffmanTable main_;
  HuffmanTable lengths_;
  std::uint32_t symbolsLeft_ = 0;           // main symbols left in the current block
  std::uint32_t recent_[4] = {0, 0, 0, 0};  // distances - 1, most recent first
};

}  // namespace pelmora::unace::decode
