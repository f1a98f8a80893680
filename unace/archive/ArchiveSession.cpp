#include "unace/archive/ArchiveSession.h"

#include <algorithm>
#include <optional>
#include <variant>
#include <vector>

#include "unace/archive/BlockReader.h"
#include "unace/format/EntryName.h"
#include "unace/archive/MemberStream.h"
#include "unace/crypto/AceKey.h"

namespace pelmora::unace::archive {
namespace {

// Longest name the header record can hold with its terminating zero.
constexpr std::size_t kMaxNameBytes = 259;
constexpr std::size_t kCopyBufferBytes = 64 * 1024;

int CodeFor(const fs::FsFailure& failure) {
  return failure.kind == fs::FsFailure::Kind::Exists ? ACE_ERR_EXISTS : ACE_ERR_WRITE;
}

}  // namespace

ArchiveSession::ArchiveSession(std::unique_ptr<io::VolumeOpener> opener, SessionCallbacks callbacks,
                               bool extracting)
    : opener_(std::move(opener)),
      callbacks_(std::move(callbacks)),
      extracting_(extracting),
      volumes_(*opener_, callbacks_.volume) {}

ArchiveSession::~ArchiveSession() = default;

int ArchiveSession::Fail(int code, std::string why) {
  lastError_ = std::move(why);
  return code;
}

decode::Decoder& ArchiveSession::Decoder() {
  if (!decoder_) decoder_ = std::make_unique<decode::Decoder>(decode::kMaxDictionaryBytes);
  return *decoder_;
}

void ArchiveSession::SetPassword(std::optional<std::string> password) {
  password_ = std::move(password);
  cipher_.reset();
  if (password_) cipher_ = std::make_unique<crypto::AceCipher>(crypto::DeriveAceKey(*password_));
}

crypto::AceCipher* ArchiveSession::CipherForEntry() {
  return entry_.Encrypted() ? cipher_.get() : nullptr;
}

int ArchiveSession::Open(const std::string& firstVolumePath) {
  if (opened_) return Fail(ACE_ERR_ARGUMENT, "archive already open");
  switch (volumes_.OpenFirst(firstVolumePath)) {
    case VolumeStatus::Ok:
      opened_ = true;
      return ACE_OK;
    case VolumeStatus::NotFirst:
      return Fail(ACE_ERR_VOLUME, volumes_.LastError() + " (open the first volume)");
    default:
      return Fail(ACE_ERR_OPEN, volumes_.LastError());
  }
}

int ArchiveSession::ReadHeader() {
  if (!opened_) return Fail(ACE_ERR_ARGUMENT, "no archive open");
  if (stickyCode_ != ACE_OK) return stickyCode_;
  if (state_ == EntryState::Pending) {
    const int code = Process(ACE_SKIP, nullptr);
    if (stickyCode_ != ACE_OK) return stickyCode_;
    if (code != ACE_OK) return code;
  }
  state_ = EntryState::None;
  while (true) {
    std::variant<RawBlock, EndOfVolume, format::HeaderProblem> read = ReadBlock(volumes_.Source());
    if (std::holds_alternative<EndOfVolume>(read)) {
      const VolumeStatus next = volumes_.OpenNext(false);
      if (next == VolumeStatus::Ok) continue;
      if (next == VolumeStatus::NoMoreVolumes) return stickyCode_ = ACE_END_OF_ARCHIVE;
      return stickyCode_ = Fail(ACE_ERR_VOLUME, volumes_.LastError());
    }
    if (const format::HeaderProblem* problem = std::get_if<format::HeaderProblem>(&read))
      return stickyCode_ = Fail(ACE_ERR_HEADER, volumes_.CurrentPath() + ": " + problem->text);
    // get_if, not get, once the alternative is known: std::get's throwing
    // path would bring bad_variant_access into the shipped library.
    const RawBlock& block = *std::get_if<RawBlock>(&read);

    const std::uint8_t type = block.envelope.type;
    if (type == format::kBlockFile32 || type == format::kBlockFile64) {
      std::variant<format::FileHeader, format::HeaderProblem> parsed =
          format::ParseFileHeader(block.body);
      if (const format::HeaderProblem* problem = std::get_if<format::HeaderProblem>(&parsed))
        return stickyCode_ = Fail(ACE_ERR_HEADER, volumes_.CurrentPath() + ": " + problem->text);
      format::FileHeader& file = *std::get_if<format::FileHeader>(&parsed);
      if (file.ContinuedFromPrevious())
        return stickyCode_ = Fail(ACE_ERR_HEADER, volumes_.CurrentPath() + ": continuation of " +
                                                      file.name + " without its start");
      entry_ = std::move(file);
      entryVolume_ = volumes_.CurrentPath();
      state_ = EntryState::Pending;
      return ACE_OK;
    }
    // Recovery records, stray MAIN headers and unknown blocks: not ours to read.
    if (!SkipData(volumes_.Source(), block))
      return stickyCode_ =
                 Fail(ACE_ERR_HEADER, volumes_.CurrentPath() + ": block data beyond the end");
  }
}

int ArchiveSession::Process(int operation, const char* targetPath) {
  if (state_ != EntryState::Pending)
    return Fail(ACE_ERR_ARGUMENT, "no entry to process: read a header first");
  state_ = EntryState::Done;
  MemberStream stream(volumes_, entry_, CipherForEntry());
  int code = ProcessEntry(operation, targetPath, stream);
  const int rest = stream.SkipRest();
  if (rest != ACE_OK) {
    // The next header cannot be found any more.
    stickyCode_ = rest;
    if (code == ACE_OK) code = Fail(rest, stream.Error());
  }
  return code;
}

int ArchiveSession::ProcessEntry(int operation, const char* targetPath, MemberStream& stream) {
  switch (operation) {
    case ACE_SKIP:
      return PassOver(stream);
    case ACE_TEST: {
      if (entry_.IsDirectory()) return ACE_OK;
      CheckedOutput output(entry_.originalSize);
      return DecodeInto(stream, output);
    }
    case ACE_EXTRACT:
      if (targetPath && *targetPath) return ExtractTo(targetPath, stream);
      PassOver(stream);
      return Fail(ACE_ERR_ARGUMENT, "no target path for " + entry_.name);
    default:
      PassOver(stream);
      return Fail(ACE_ERR_ARGUMENT, "unknown operation " + std::to_string(operation));
  }
}

int ArchiveSession::PassOver(MemberStream& stream) {
  if (!extracting_ || !Solid() || entry_.IsDirectory() || entry_.originalSize == 0) return ACE_OK;
  CheckedOutput output(entry_.originalSize);
  return DecodeInto(stream, output);
}

int ArchiveSession::ExtractTo(const std::string& targetPath, MemberStream& stream) {
  std::optional<std::string> refusal = format::UnsafeNameReason(entry_.name);
  if (!refusal && entry_.name.size() > kMaxNameBytes)
    refusal = "name longer than " + std::to_string(kMaxNameBytes);
  if (refusal) {
    PassOver(stream);
    return Fail(ACE_ERR_UNSAFE_NAME, "refused entry name '" + entry_.name + "': " + *refusal);
  }
  if (entry_.IsDirectory()) {
    if (std::optional<fs::FsFailure> failure = fs::MakeDirectory(targetPath, entry_.attributes))
      return Fail(CodeFor(*failure), std::move(failure->text));
    return ACE_OK;
  }
  std::variant<std::unique_ptr<fs::FileSink>, fs::FsFailure> created =
      fs::CreateFileSink(targetPath);
  if (fs::FsFailure* failure = std::get_if<fs::FsFailure>(&created)) {
    PassOver(stream);
    return Fail(ACE_ERR_WRITE, std::move(failure->text));
  }
  fs::FileSink& sink = **std::get_if<std::unique_ptr<fs::FileSink>>(&created);
  FileOutput output(entry_.originalSize, sink, callbacks_.progress);
  const int code = DecodeInto(stream, output);
  if (code != ACE_OK) {
    if (output.Stop() == OutputStop::WriteFailed) lastError_ = sink.Error();
    return code;  // the sink's destructor removes the temporary file
  }
  if (std::optional<fs::FsFailure> failure = sink.Commit(entry_.dosTime, entry_.attributes))
    return Fail(CodeFor(*failure), std::move(failure->text));
  return ACE_OK;
}

int ArchiveSession::DecodeInto(MemberStream& stream, CheckedOutput& output) {
  if (entry_.compression > format::kBlocked)
    return Fail(ACE_ERR_FORMAT,
                entry_.name + ": unknown compression method " + std::to_string(entry_.compression));
  if (entry_.compression != format::kStored && entry_.DictionaryCode() > format::kMaxDictionaryCode)
    return Fail(ACE_ERR_FORMAT,
                entry_.name + ": dictionary code " + std::to_string(entry_.DictionaryCode()));
  if (entry_.Encrypted() && !cipher_)
    return Fail(ACE_ERR_PASSWORD, entry_.name + ": password needed");
  const int code = entry_.compression == format::kStored ? DecodeStored(stream, output)
                                                         : DecodeCompressed(stream, output);
  return CheckResult(stream, output, code);
}

int ArchiveSession::DecodeStored(MemberStream& stream, CheckedOutput& output) {
  std::vector<std::uint8_t> buffer(static_cast<std::size_t>(
      std::min<std::uint64_t>(kCopyBufferBytes, std::max<std::uint64_t>(entry_.originalSize, 1))));
  std::uint64_t left = entry_.originalSize;
  while (left > 0) {
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), left));
    const std::size_t got = stream.Read(buffer.data(), want);
    if (got == 0) break;
    left -= got;
    if (Solid()) {
      Decoder().AppendStored(buffer.data(), got);
      windowInUse_ = true;
    }
    if (!output.Write(buffer.data(), got)) break;
  }
  return ACE_OK;
}

int ArchiveSession::DecodeCompressed(MemberStream& stream, CheckedOutput& output) {
  const bool continueWindow = Solid() && windowInUse_;
  windowInUse_ = Solid();
  const decode::Status status =
      Decoder().DecodeMember(stream, output, entry_.originalSize, entry_.DictionaryBytes(),
                             entry_.compression == format::kBlocked, continueWindow);
  switch (status) {
    case decode::Status::Ok:
    case decode::Status::Aborted:  // the output's own reason is judged by CheckResult
      return ACE_OK;
    case decode::Status::Corrupt:
      return Fail(entry_.Encrypted() ? ACE_ERR_PASSWORD : ACE_ERR_DATA,
                  entry_.name + ": " + Decoder().LastError());
    case decode::Status::Unsupported:
      return Fail(ACE_ERR_FORMAT, entry_.name + ": " + Decoder().LastError());
    case decode::Status::OutOfMemory:
      return Fail(ACE_ERR_MEMORY, entry_.name + ": out of memory while decoding");
  }
  return Fail(ACE_ERR_DATA, entry_.name + ": unexpected decoder status");
}

int ArchiveSession::CheckResult(MemberStream& stream, const CheckedOutput& output, int decodeCode) {
  // A missing volume or a broken continuation makes the decoder see damaged
  // data; the real cause is reported instead.
  if (stream.Failure() != ACE_OK) return Fail(stream.Failure(), stream.Error());
  const int wrongData = entry_.Encrypted() ? ACE_ERR_PASSWORD : ACE_ERR_DATA;
  switch (output.Stop()) {
    case OutputStop::Aborted:
      return Fail(ACE_ERR_ABORTED, entry_.name + ": aborted by the caller");
    case OutputStop::WriteFailed:
      return Fail(ACE_ERR_WRITE, entry_.name + ": cannot write the file");
    case OutputStop::Overflow:
      return Fail(wrongData, entry_.name + ": more data than the declared size");
    case OutputStop::None:
      break;
  }
  if (decodeCode != ACE_OK) return decodeCode;
  // The member's CRC is in its last piece, possibly in a later volume.
  if (stream.SkipRest() != ACE_OK) return Fail(stream.Failure(), stream.Error());
  if (output.Produced() != entry_.originalSize)
    return Fail(wrongData, entry_.name + ": data ends after " + std::to_string(output.Produced()) +
                               " of " + std::to_string(entry_.originalSize) + " bytes");
  if (output.Crc() != stream.FinalCrc())
    return Fail(entry_.Encrypted() ? ACE_ERR_PASSWORD : ACE_ERR_DATA_CRC,
                entry_.name + ": CRC mismatch");
  return ACE_OK;
}

}  // namespace pelmora::unace::archive
