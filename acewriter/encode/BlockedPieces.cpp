#include "acewriter/encode/BlockedPieces.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "acewriter/encode/BlockedStream.h"
#include "acewriter/encode/ModeRecord.h"

namespace pelmora::acewriter::encode {
namespace {

// An EXE stretch whose bytes offer no place to end for this long (a run of
// E8/E9 bytes, which real code does not have) is coded in LZ77 from its last
// possible end on, so that nothing unbounded is held.
constexpr std::size_t kMaxHeldExeBytes = 1u << 20;

std::span<const std::uint8_t> View(const std::vector<std::uint8_t>& v) { return v; }

}  // namespace

BlockedPieces::BlockedPieces(const Options& options, std::uint64_t memberSize, LzParser& parser,
                             LzBlockCoder& coder)
    : options_(options), memberSize_(memberSize), parser_(parser), coder_(coder) {
  planned_ = options.method == Method::Blocked ? options.mode : BlockedMode::Lz77;
  if (planned_ == BlockedMode::Pic || planned_ == BlockedMode::Sound)
    throw std::logic_error("Encoder: PIC and SOUND members are not coded in pieces");
  if (planned_ == BlockedMode::Delta) {
    // As PlanSegments: whole chunks of a multiple of the distance, LZ77 after them.
    const std::uint32_t d = options.deltaDistance;
    deltaLength_ = std::max<std::uint32_t>(d, options.deltaLength - options.deltaLength % d);
    deltaEnd_ = memberSize - memberSize % deltaLength_;
  }
}

void BlockedPieces::Feed(std::span<const std::uint8_t> bytes) {
  if (bytes.size() > memberSize_ - received_)
    throw std::runtime_error("the member brought more bytes than announced (it grew while read)");
  received_ += bytes.size();
  switch (planned_) {
    case BlockedMode::Lz77:
      CodeLz77(bytes);
      break;
    case BlockedMode::Delta:
      FeedDelta(bytes);
      break;
    default:
      FeedRegions(bytes);
  }
}

void BlockedPieces::Finish() {
  if (received_ != memberSize_)
    throw std::runtime_error(
        "the member brought fewer bytes than announced (it shrank while read)");
  if (!region_.empty()) TakeRegion();
  // As PlanStretch: an EXE stretch ends at its last possible end, the rest
  // is LZ77.
  if (!heldExe_.empty()) CodeLz77(View(std::exchange(heldExe_, {})));
  LeaveExe();
  parser_.FinishStretch(coder_);
}

void BlockedPieces::FeedRegions(std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    const std::size_t n = std::min(bytes.size(), kCodeRegionBytes - region_.size());
    region_.insert(region_.end(), bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
    bytes = bytes.subspan(n);
    if (region_.size() == kCodeRegionBytes) TakeRegion();
  }
}

void BlockedPieces::TakeRegion() {
  const bool code =
      planned_ == BlockedMode::Exe || RegionLooksLikeCode(region_, regionOffset_, memberSize_);
  regionOffset_ += region_.size();
  if (code) {
    stretchIsExe_ = true;
    heldExe_.insert(heldExe_.end(), region_.begin(), region_.end());
    CommitExeUpToLastEnd();
  } else {
    if (stretchIsExe_) {
      // The stretch ends: what follows its last possible end joins the LZ77 stretch.
      CodeLz77(View(std::exchange(heldExe_, {})));
      stretchIsExe_ = false;
    }
    CodeLz77(region_);
  }
  region_.clear();
}

void BlockedPieces::CommitExeUpToLastEnd() {
  std::size_t end = heldExe_.size();
  while (end > 0 && !ExeSegmentMayEnd(std::span<const std::uint8_t>(heldExe_).first(end))) --end;
  if (end > 0) {
    CodeExe(std::span<const std::uint8_t>(heldExe_).first(end));
    heldExe_.erase(heldExe_.begin(), heldExe_.begin() + static_cast<std::ptrdiff_t>(end));
  }
  if (heldExe_.size() > kMaxHeldExeBytes) CodeLz77(View(std::exchange(heldExe_, {})));
}

void BlockedPieces::FeedDelta(std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    if (coded_ + deltaChunk_.size() >= deltaEnd_) {
      CodeLz77(bytes);
      return;
    }
    const std::size_t n = std::min(bytes.size(), deltaLength_ - deltaChunk_.size());
    deltaChunk_.insert(deltaChunk_.end(), bytes.begin(),
                       bytes.begin() + static_cast<std::ptrdiff_t>(n));
    bytes = bytes.subspan(n);
    if (deltaChunk_.size() < deltaLength_) continue;
    if (coding_ != BlockedMode::Delta) {
      const ModeRecord record = ModeRecord::Delta(options_.deltaDistance, deltaLength_);
      coder_.TypeCode(record.bits, record.count, false);
      coding_ = BlockedMode::Delta;
    }
    // Each chunk is a segment of its own: no match may cross its end.
    parser_.Code(DeltaChunk(deltaChunk_, options_.deltaDistance, deltaRunning_), coder_);
    coded_ += deltaChunk_.size();
    deltaChunk_.clear();
  }
}

void BlockedPieces::CodeLz77(std::span<const std::uint8_t> bytes) {
  if (bytes.empty()) return;
  if (coding_ != BlockedMode::Lz77) {
    LeaveExe();
    parser_.FinishStretch(coder_);
    const ModeRecord record = ModeRecord::Plain(StreamMode::Lz77);
    coder_.TypeCode(record.bits, record.count, false);
    coding_ = BlockedMode::Lz77;
  }
  parser_.Feed(bytes, coder_);
  coded_ += bytes.size();
}

void BlockedPieces::CodeExe(std::span<const std::uint8_t> bytes) {
  if (coding_ != BlockedMode::Exe) {
    parser_.FinishStretch(coder_);
    const std::uint8_t exeMode = planned_ == BlockedMode::Exe ? options_.exeMode : 1;
    const ModeRecord record = ModeRecord::Exe(exeMode);
    coder_.TypeCode(record.bits, record.count, false);
    exeFilter_.emplace(coded_, exeMode);
    coding_ = BlockedMode::Exe;
  }
  parser_.Feed(exeFilter_->Feed(bytes), coder_);
  coded_ += bytes.size();
}

// The bytes the EXE filter still waits on go out unchanged, as the reader
// leaves them at a segment's end.
void BlockedPieces::LeaveExe() {
  if (!exeFilter_) return;
  parser_.Feed(exeFilter_->Finish(), coder_);
  exeFilter_.reset();
}

}  // namespace pelmora::acewriter::encode
