#include "acewriter/encode/Encoder.h"

#include <optional>
#include <stdexcept>
#include <string>

#include "acewriter/encode/AceSymbols.h"
#include "acewriter/encode/BitWriter.h"
#include "acewriter/encode/BlockedPieces.h"
#include "acewriter/encode/BlockedStream.h"
#include "acewriter/encode/LzBlockCoder.h"
#include "acewriter/encode/LzParser.h"
#include "unace/format/Flags.h"

namespace pelmora::acewriter::encode {
namespace {

const Options& Checked(const Options& o) {
  const auto fail = [](const std::string& what) {
    throw std::invalid_argument("acewriter::encode::Options: " + what);
  };
  if (o.dictionaryBits < kMinDictionaryBits || o.dictionaryBits > kMaxDictionaryBits)
    fail("dictionaryBits " + std::to_string(o.dictionaryBits) + " outside 10..22");
  if (o.level < 1 || o.level > 5) fail("level " + std::to_string(o.level) + " outside 1..5");
  if (o.method == Method::Lz77 && o.mode != BlockedMode::Auto && o.mode != BlockedMode::Lz77)
    fail("a blocked mode was requested for the ACE 1.0 method");
  if (o.exeMode > 1) fail("exeMode must be 0 or 1");
  if (o.deltaDistance == 0) fail("deltaDistance must be at least 1");
  if (o.deltaLength < o.deltaDistance || o.deltaLength > 131071)
    fail("deltaLength " + std::to_string(o.deltaLength) + " outside deltaDistance..131071");
  if (o.picPlanes == 0 || o.picPlanes > 64) fail("picPlanes must be 1..64");
  if (o.picWidth > 4095 * 16) fail("picWidth too large");
  if (o.picPlaneType < -1 || o.picPlaneType > 2) fail("picPlaneType must be -1..2");
  return o;
}

}  // namespace

class Encoder::Impl {
 public:
  explicit Impl(const Options& options)
      : options_(Checked(options)), parser_(options.dictionaryBits, options.level) {}

  std::vector<std::uint8_t> EncodeMember(std::span<const std::uint8_t> data, bool solidContinue) {
    if (streaming_)
      throw std::logic_error("Encoder::encodeMember: a member coded in pieces is not finished");
    parser_.StartMember(solidContinue);
    if (data.empty()) return {};
    BitWriter out;
    if (options_.method == Method::Lz77) {
      LzBlockCoder coder(out, false, parser_.Thorough());
      parser_.Code(data, coder);
      coder.Flush();
    } else {
      EncodeBlockedMember(data, options_, parser_, out);
    }
    return out.Finish();
  }

  void AppendStored(std::span<const std::uint8_t> data) {
    if (streaming_) throw std::logic_error("Encoder::appendStored inside a member");
    parser_.EnterWindow(data);
  }

  void StoreInstead(std::span<const std::uint8_t> data) {
    if (streaming_) throw std::logic_error("Encoder::storeInstead inside a member");
    parser_.ReplaceNewest(data);
  }

  // In the automatic mode a member too large to hold is coded in LZ77 and
  // EXE regions even when it starts like a picture or a sound: those coders
  // need the whole member in memory, and a multi-gigabyte one must not.
  bool CodesInPieces() const {
    if (options_.method == Method::Lz77) return true;
    return options_.mode != BlockedMode::Pic && options_.mode != BlockedMode::Sound;
  }

  void BeginMember(bool solidContinue, std::uint64_t memberSize) {
    if (streaming_)
      throw std::logic_error("Encoder::beginMember: the previous member is not finished");
    auto streaming =
        std::make_unique<Streaming>(options_.method == Method::Blocked, parser_.Thorough());
    if (options_.method == Method::Blocked)
      streaming->blocked.emplace(options_, memberSize, parser_, streaming->coder);
    parser_.StartMember(solidContinue);
    streaming_ = std::move(streaming);
  }

  void Feed(std::span<const std::uint8_t> data) {
    if (!streaming_) throw std::logic_error("Encoder::feed without beginMember");
    if (streaming_->blocked)
      streaming_->blocked->Feed(data);
    else
      parser_.Feed(data, streaming_->coder);
  }

  std::vector<std::uint8_t> TakePacked() {
    if (!streaming_) throw std::logic_error("Encoder::takePacked without beginMember");
    return streaming_->out.TakeWords();
  }

  std::vector<std::uint8_t> FinishMember() {
    if (!streaming_) throw std::logic_error("Encoder::finishMember without beginMember");
    // A failure leaves the member unfinished for good: the next one starts anew.
    const auto streaming = std::move(streaming_);
    if (streaming->blocked)
      streaming->blocked->Finish();
    else
      parser_.FinishStretch(streaming->coder);
    streaming->coder.Flush();
    return streaming->out.Finish();
  }

  const Options& Settings() const { return options_; }

 private:
  struct Streaming {
    Streaming(bool withTypeCode, bool fineBlocks) : coder(out, withTypeCode, fineBlocks) {}
    BitWriter out;
    LzBlockCoder coder;
    std::optional<BlockedPieces> blocked;
  };

  Options options_;
  LzParser parser_;
  std::unique_ptr<Streaming> streaming_;  // a member coded in pieces
};

Encoder::Encoder(const Options& options) : impl_(std::make_unique<Impl>(options)) {}
Encoder::~Encoder() = default;
Encoder::Encoder(Encoder&&) noexcept = default;
Encoder& Encoder::operator=(Encoder&&) noexcept = default;

std::vector<std::uint8_t> Encoder::EncodeMember(std::span<const std::uint8_t> data,
                                                bool solidContinue) {
  return impl_->EncodeMember(data, solidContinue);
}

void Encoder::AppendStored(std::span<const std::uint8_t> data) { impl_->AppendStored(data); }
void Encoder::StoreInstead(std::span<const std::uint8_t> data) { impl_->StoreInstead(data); }
bool Encoder::CodesInPieces() const { return impl_->CodesInPieces(); }
void Encoder::BeginMember(bool solidContinue, std::uint64_t memberSize) {
  impl_->BeginMember(solidContinue, memberSize);
}
void Encoder::Feed(std::span<const std::uint8_t> data) { impl_->Feed(data); }
std::vector<std::uint8_t> Encoder::TakePacked() { return impl_->TakePacked(); }
std::vector<std::uint8_t> Encoder::FinishMember() { return impl_->FinishMember(); }

std::uint8_t Encoder::CompressionType() const {
  return impl_->Settings().method == Method::Lz77 ? unace::format::kLz77 : unace::format::kBlocked;
}
std::uint8_t Encoder::Quality() const { return static_cast<std::uint8_t>(impl_->Settings().level); }
std::uint16_t Encoder::Params() const {
  return static_cast<std::uint16_t>(impl_->Settings().dictionaryBits - kMinDictionaryBits);
}
std::uint32_t Encoder::DictionaryBits() const { return impl_->Settings().dictionaryBits; }

}  // namespace pelmora::acewriter::encode
