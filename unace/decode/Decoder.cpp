#include "unace/decode/Decoder.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "unace/decode/BitReader.h"
#include "unace/decode/Fault.h"
#include "unace/decode/MemberDecoder.h"
#include "unace/decode/OutputSink.h"
#include "unace/decode/Window.h"

namespace pelmora::unace::decode {

namespace {

// The ring may always grow to this, so that a piece of output (and a whole
// DELTA chunk of up to 128 KiB) is still in it when it is passed on.
constexpr std::size_t kSmallestWindowLimit = 256 * 1024;
constexpr std::uint32_t kSmallestDictionary = 1024;

std::size_t WindowCapacity(std::uint32_t maxDictionary) {
  std::size_t capacity = kSmallestWindowLimit;
  while (capacity < maxDictionary) capacity *= 2;
  return capacity;
}

}  // namespace

class Decoder::Impl {
 public:
  explicit Impl(std::uint32_t maxDictionary)
      : maxDictionary_(std::clamp(maxDictionary, kSmallestDictionary, kMaxDictionaryBytes)),
        window_(WindowCapacity(maxDictionary_)) {}

  Status DecodeMember(PackedInput& input, Output& output, std::uint64_t originalSize,
                      std::uint32_t dictionaryBytes, bool blocked, bool solidContinue) {
    error_.clear();
    const std::uint32_t declared =
        std::clamp(dictionaryBytes, kSmallestDictionary, kMaxDictionaryBytes);
    if (declared > maxDictionary_)
      return Failed(Status::Unsupported, "dictionary of " + std::to_string(declared) +
                                             " bytes above the limit of " +
                                             std::to_string(maxDictionary_));
    if (!solidContinue || !historyValid_) window_.Clear();
    // A solid history may have been built with a larger dictionary than
    // this member declares; like the reference readers, honour the largest.
    largestDictionary_ = std::max(largestDictionary_, declared);
    historyValid_ = false;
    if (originalSize > 0) {
      // One allocation for what the member will need rather than a chain
      // of doublings, whose freed steps would stay in the heap.
      if (!window_.Reserve(static_cast<std::size_t>(
              std::min<std::uint64_t>(originalSize, window_.LargestCapacity()))))
        return Failed(Status::OutOfMemory, "out of memory while decoding");
      FaultState fault;
      BitReader bits(input, packedBuffer_, fault);
      OutputSink sink(output, outputBuffer_, fault);
      MemberDecoder member(bits, window_, sink, largestDictionary_, blocked);
      member.Run(originalSize);
      bits.Finish();
      // Held back after a fault: only whole blocks decoded before it went out.
      sink.Flush();
      if (fault.Failed()) return Failed(fault.Kind(), fault.Reason());
    }
    historyValid_ = true;
    return Status::Ok;
  }

  void AppendStored(const std::uint8_t* data, std::size_t n) {
    // Without room for it, the next solid member finds no usable history
    // and fails cleanly.
    if (!window_.Append(data, n)) historyValid_ = false;
  }

  void Reset() {
    window_.Rewind();
    largestDictionary_ = 0;
    historyValid_ = true;
  }

  const std::string& LastError() const { return error_; }

 private:
  Status Failed(Status status, std::string reason) {
    error_ = std::move(reason);
    return status;
  }

  std::uint32_t maxDictionary_;
  Window window_;
  // The bit reader's and the output sink's buffers, kept from member to member.
  std::vector<std::uint8_t> packedBuffer_;
  std::vector<std::uint8_t> outputBuffer_;
  std::uint32_t largestDictionary_ = 0;
  // False after a member failed: its partial output must not serve as history.
  bool historyValid_ = true;
  std::string error_;
};

Decoder::Decoder(std::uint32_t maxDictionaryBytes)
    : impl_(std::make_unique<Impl>(maxDictionaryBytes)) {}
Decoder::~Decoder() = default;

Status Decoder::DecodeMember(PackedInput& input, Output& output, std::uint64_t originalSize,
                             std::uint32_t dictionaryBytes, bool blocked, bool solidContinue) {
  return impl_->DecodeMember(input, output, originalSize, dictionaryBytes, blocked, solidContinue);
}

void Decoder::AppendStored(const std::uint8_t* data, std::size_t n) {
  impl_->AppendStored(data, n);
}
void Decoder::Reset() { impl_->Reset(); }
const std::string& Decoder::LastError() const { return impl_->LastError(); }

}  // namespace pelmora::unace::decode
