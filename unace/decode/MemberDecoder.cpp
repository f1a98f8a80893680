#include "unace/decode/MemberDecoder.h"

#include <algorithm>
#include <string>

namespace pelmora::unace::decode {

namespace {
// LZ77 output is handed on in pieces of about this size; the window is far
// larger, so a piece is still intact in it when it is passed on.
constexpr std::size_t kPiece = 64 * 1024;
constexpr std::uint32_t kLastMode = 7;
}  // namespace

MemberDecoder::MemberDecoder(BitReader& bits, Window& window, OutputSink& sink,
                             std::uint32_t dictionary, bool blocked)
    : bits_(bits), window_(window), sink_(sink), dictionary_(dictionary), lz77_(blocked) {}

void MemberDecoder::Run(std::uint64_t originalSize) {
  while (produced_ < originalSize && !bits_.Failed()) {
    const std::uint64_t left = originalSize - produced_;
    switch (mode_) {
      case kLz77:
      case kExe:
        Lz77Segment(left);
        break;
      case kDelta:
        DeltaChunk(left);
        break;
      case kPic:
        if (pic_.Decode(bits_, window_, sink_, left, produced_)) SwitchMode();
        break;
      default:
        if (sound_.Decode(bits_, window_, sink_, left, produced_)) SwitchMode();
        break;
    }
  }
  if (!bits_.Failed()) exe_.Release(sink_);
}

void MemberDecoder::Lz77Segment(std::uint64_t left) {
  const std::size_t limit = static_cast<std::size_t>(std::min<std::uint64_t>(left, SIZE_MAX));
  const std::uint64_t from = window_.Position();
  std::size_t n = 0;
  const Lz77Stream::Stop stop =
      lz77_.Decode(bits_, window_, std::min(kPiece, limit), limit, dictionary_, n);
  if (stop == Lz77Stream::Stop::Failed) return;
  if (mode_ == kExe)
    exe_.Feed(window_, from, n, sink_);
  else
    sink_.WriteFromWindow(window_, from, n);
  produced_ += n;
  if (stop == Lz77Stream::Stop::TypeCode) {
    if (mode_ == kExe) exe_.EndSegment(sink_);
    SwitchMode();
  }
}

void MemberDecoder::DeltaChunk(std::uint64_t left) {
  const std::uint64_t from = window_.Position();
  // The chunk length is known, so the check can precede any decoding.
  const std::size_t length = deltaLength_;
  std::size_t n = 0;
  const Lz77Stream::Stop stop = lz77_.Decode(bits_, window_, std::min<std::uint64_t>(length, left),
                                             std::min<std::uint64_t>(length, left), dictionary_, n);
  if (stop == Lz77Stream::Stop::Failed) return;
  if (stop == Lz77Stream::Stop::TypeCode) {
    if (n != 0) {
      NoteCorrupt("mode switch inside a DELTA chunk at output byte " +
                  std::to_string(produced_ + n));
      return;
    }
    SwitchMode();
    return;
  }
  if (length > left) {
    NoteCorrupt("DELTA chunk of " + std::to_string(length) + " bytes runs past the member end");
    return;
  }
  deltaIn_.resize(length);
  deltaOut_.resize(length);
  window_.CopyOut(from, length, deltaIn_.data());
  delta_.Apply(deltaIn_.data(), length, deltaPlanes_, deltaOut_.data());
  sink_.Write(deltaOut_.data(), length);
  produced_ += length;
}

void MemberDecoder::SwitchMode() {
  const std::uint32_t mode = bits_.Read(8);
  if (mode > kLastMode) {
    NoteCorrupt("unknown mode " + std::to_string(mode) + " at output byte " +
                std::to_string(produced_));
    return;
  }
  if (mode != kExe) exe_.Release(sink_);
  switch (mode) {
    case kLz77:
      break;
    case kDelta: {
      const std::uint32_t planes = bits_.Read(8);
      const std::uint32_t length = bits_.Read(17);
      if (planes == 0 || length == 0 || length % planes != 0) {
        NoteCorrupt("DELTA with " + std::to_string(planes) + " planes and chunks of " +
                    std::to_string(length) + " bytes");
        return;
      }
      deltaPlanes_ = planes;
      deltaLength_ = length;
      break;
    }
    case kExe:
      exe_.begin(static_cast<std::uint8_t>(bits_.Read(8)), produced_);
      break;
    case kPic:
      if (mode_ != kPic) pic_.Start(bits_);
      break;
    default:
      if (mode_ != mode)
        sound_.Start(mode);
      else
        sound_.ContinueSegment();
      break;
  }
  mode_ = mode;
}

}  // namespace pelmora::unace::decode
