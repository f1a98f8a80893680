// The ACE 2.0 blocked stream of a member that arrives in pieces, for
// members too large to hold. It takes the decisions PlanSegments takes for
// a whole member that is not a Windows program (LZ77 and EXE per region, or
// the forced LZ77, EXE or DELTA mode), holding back only what a decision
// still waits for: the current region, and in EXE mode the bytes after the
// last point where an EXE segment may end. PIC and SOUND members are not
// coded this way; programs are, by region like other data (their section
// table may point anywhere in the file).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "acewriter/encode/Encoder.h"
#include "acewriter/encode/Filters.h"
#include "acewriter/encode/LzBlockCoder.h"
#include "acewriter/encode/LzParser.h"

namespace pelmora::acewriter::encode {

class BlockedPieces {
 public:
  // Throws std::logic_error for the PIC and SOUND modes. The member must
  // bring exactly `memberSize` bytes (code-likeness depends on it).
  BlockedPieces(const Options& options, std::uint64_t memberSize, LzParser& parser,
                LzBlockCoder& coder);

  void Feed(std::span<const std::uint8_t> bytes);
  // Codes what was held back and ends the last segment (the caller flushes
  // the coder). Throws std::runtime_error when fewer bytes came than announced.
  void Finish();

 private:
  void FeedRegions(std::span<const std::uint8_t> bytes);
  void TakeRegion();
  void CommitExeUpToLastEnd();
  void FeedDelta(std::span<const std::uint8_t> bytes);
  void CodeLz77(std::span<const std::uint8_t> bytes);
  void CodeExe(std::span<const std::uint8_t> bytes);
  void LeaveExe();

  Options options_;
  std::uint64_t memberSize_;
  LzParser& parser_;
  LzBlockCoder& coder_;
  BlockedMode planned_;                     // Lz77, Exe (forced) or Auto; Delta
  BlockedMode coding_ = BlockedMode::Lz77;  // the mode the stream is in
  std::uint64_t received_ = 0;
  std::uint64_t coded_ = 0;  // member bytes handed to a coder

  // Regions (Auto and EXE).
  std::vector<std::uint8_t> region_;
  std::uint64_t regionOffset_ = 0;
  bool stretchIsExe_ = false;
  std::vector<std::uint8_t> heldExe_;  // EXE stretch bytes after the last possible end
  std::optional<ExeFilterStream> exeFilter_;

  // DELTA.
  std::uint32_t deltaLength_ = 0;
  std::uint64_t deltaEnd_ = 0;  // whole chunks end here; LZ77 after it
  std::vector<std::uint8_t> deltaChunk_;
  std::uint8_t deltaRunning_ = 0;
};

}  // namespace pelmora::acewriter::encode
