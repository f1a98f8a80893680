// One member's decoding: the mode machine of the blocked format (plain LZ77
// being its first and, for the old format, only mode). Created per member,
// so everything except the window starts fresh.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "unace/decode/BitReader.h"
#include "unace/decode/DeltaFilter.h"
#include "unace/decode/ExeFilter.h"
#include "unace/decode/Lz77Stream.h"
#include "unace/decode/OutputSink.h"
#include "unace/decode/PicDecoder.h"
#include "unace/decode/SoundDecoder.h"
#include "unace/decode/Window.h"

namespace pelmora::unace::decode {

class MemberDecoder {
 public:
  MemberDecoder(BitReader& bits, Window& window, OutputSink& sink, std::uint32_t dictionary,
                bool blocked);
  // Produces exactly `originalSize` bytes, or stops at the first fault noted
  // in the reader's fault state (which the sink shares).
  void Run(std::uint64_t originalSize);

 private:
  enum Mode : std::uint32_t {
    kLz77 = 0,
    kDelta = 1,
    kExe = 2,
    kPic = 7,
  };

  void Lz77Segment(std::uint64_t left);
  void DeltaChunk(std::uint64_t left);
  void SwitchMode();
  void NoteCorrupt(std::string reason) { bits_.Fault().NoteCorrupt(std::move(reason)); }

  BitReader& bits_;
  Window& window_;
  OutputSink& sink_;
  std::uint32_t dictionary_;
  std::uint32_t mode_ = kLz77;
  std::uint64_t produced_ = 0;
  Lz77Stream lz77_;
  ExeFilter exe_;
  DeltaFilter delta_;
  std::uint32_t deltaPlanes_ = 1;
  std::uint32_t deltaLength_ = 1;
  std::vector<std::uint8_t> deltaOut_;
  std::vector<std::uint8_t> deltaIn_;
  SoundDecoder sound_;
  PicDecoder pic_;
};

}  // namespace pelmora::unace::decode
