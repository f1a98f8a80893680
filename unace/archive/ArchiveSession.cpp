#include "unace/archive/ArchiveSession.h"

#include <algorithm>
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

int CodeFor(fs::FsResult result) {
  switch (result) {
    case fs::FsResult::Ok:
      return ACE_OK;
    case fs::FsResult::Exists:
      return ACE_ERR_EXISTS;
    case fs::FsResult::Failed:
      break;
  }
  return ACE_ERR_WRITE;
}

}  // namespace

ArchiveSession::ArchiveSession(std::unique_ptr<io::VolumeOpener> opener, SessionCallbacks callbacks,
                               bool extracting)
    : opener_(std::move(opener)),
      callbacks_(std::move(callbacks)),
      extracting_(extracting),
      volumes_(*opener_, callbacks_.volume) {}

ArchiveSession::~ArchiveSession() = default;

int ArchiveSession::fail(int code, std::string why) {
  lastError_ = std::move(why);
  return code;
}

decode::Decoder& ArchiveSession::decoder() {
  if (!decoder_) decoder_ = std::make_unique<decode::Decoder>(decode::kMaxDictionaryBytes);
  return *decoder_;
}

void ArchiveSession::setPassword(std::optional<std::string> password) {
  password_ = std::move(password);
  cipher_.reset();
  if (password_) cipher_ = std::make_unique<crypto::AceCipher>(crypto::DeriveAceKey(*password_));
}

crypto::AceCipher* ArchiveSession::cipherForEntry() { return entry_.encrypted() ? cipher_.get() : nullptr; }

int ArchiveSession::open(const std::string& firstVolumePath) {
  if (opened_) return fail(ACE_ERR_ARGUMENT, "archive already open");
  switch (volumes_.openFirst(firstVolumePath)) {
    case VolumeStatus::Ok:
      opened_ = true;
      return ACE_OK;
    case VolumeStatus::NotFirst:
      return fail(ACE_ERR_VOLUME, volumes_.lastError() + " (open the first volume)");
    default:
      return fail(ACE_ERR_OPEN, volumes_.lastError());
  }
}

int ArchiveSession::readHeader() {
  if (!opened_) return fail(ACE_ERR_ARGUMENT, "no archive open");
  if (stickyCode_ != ACE_OK) return stickyCode_;
  if (state_ == EntryState::Pending) {
    const int code = process(ACE_SKIP, nullptr);
    if (stickyCode_ != ACE_OK) return stickyCode_;
    if (code != ACE_OK) return code;
  }
  state_ = EntryState::None;
  while (true) {
    RawBlock block;
    std::string why;
    const BlockStatus status = ReadBlock(volumes_.source(), block, why);
    if (status == BlockStatus::EndOfVolume) {
      const VolumeStatus next = volumes_.openNext(false);
      if (next == VolumeStatus::Ok) continue;
      if (next == VolumeStatus::NoMoreVolumes) return stickyCode_ = ACE_END_OF_ARCHIVE;
      return stickyCode_ = fail(ACE_ERR_VOLUME, volumes_.lastError());
    }
    if (status == BlockStatus::Damaged)
      return stickyCode_ = fail(ACE_ERR_HEADER, volumes_.currentPath() + ": " + why);

    const std::uint8_t type = block.envelope.type;
    if (type == format::kBlockFile32 || type == format::kBlockFile64) {
      auto file = format::ParseFileHeader(block.body, why);
      if (!file) return stickyCode_ = fail(ACE_ERR_HEADER, volumes_.currentPath() + ": " + why);
      if (file->continuedFromPrevious())
        return stickyCode_ =
                   fail(ACE_ERR_HEADER, volumes_.currentPath() + ": continuation of " + file->name + " without its start");
      entry_ = std::move(*file);
      entryVolume_ = volumes_.currentPath();
      state_ = EntryState::Pending;
      return ACE_OK;
    }
    // Recovery records, stray MAIN headers and unknown blocks: not ours to read.
    if (!SkipData(volumes_.source(), block))
      return stickyCode_ = fail(ACE_ERR_HEADER, volumes_.currentPath() + ": block data beyond the end");
  }
}

int ArchiveSession::process(int operation, const char* targetPath) {
  if (state_ != EntryState::Pending) return fail(ACE_ERR_ARGUMENT, "no entry to process: read a header first");
  state_ = EntryState::Done;
  MemberStream stream(volumes_, entry_, cipherForEntry());
  int code = processEntry(operation, targetPath, stream);
  const int rest = stream.skipRest();
  if (rest != ACE_OK) {
    // The next header cannot be found any more.
    stickyCode_ = rest;
    if (code == ACE_OK) code = fail(rest, stream.error());
  }
  return code;
}

int ArchiveSession::processEntry(int operation, const char* targetPath, MemberStream& stream) {
  switch (operation) {
    case ACE_SKIP:
      return passOver(stream);
    case ACE_TEST: {
      if (entry_.isDirectory()) return ACE_OK;
      CheckedOutput output(entry_.originalSize);
      return decodeInto(stream, output);
    }
    case ACE_EXTRACT:
      if (targetPath && *targetPath) return extractTo(targetPath, stream);
      passOver(stream);
      return fail(ACE_ERR_ARGUMENT, "no target path for " + entry_.name);
    default:
      passOver(stream);
      return fail(ACE_ERR_ARGUMENT, "unknown operation " + std::to_string(operation));
  }
}

int ArchiveSession::passOver(MemberStream& stream) {
  if (!extracting_ || !solid() || entry_.isDirectory() || entry_.originalSize == 0) return ACE_OK;
  CheckedOutput output(entry_.originalSize);
  return decodeInto(stream, output);
}

int ArchiveSession::extractTo(const std::string& targetPath, MemberStream& stream) {
  std::string why = format::UnsafeNameReason(entry_.name);
  if (why.empty() && entry_.name.size() > kMaxNameBytes) why = "name longer than " + std::to_string(kMaxNameBytes);
  if (!why.empty()) {
    passOver(stream);
    return fail(ACE_ERR_UNSAFE_NAME, "refused entry name '" + entry_.name + "': " + why);
  }
  if (entry_.isDirectory()) {
    const int code = CodeFor(fs::MakeDirectory(targetPath, entry_.attributes, why));
    return code == ACE_OK ? code : fail(code, why);
  }
  std::unique_ptr<fs::FileSink> sink = fs::CreateFileSink(targetPath, why);
  if (!sink) {
    passOver(stream);
    return fail(ACE_ERR_WRITE, why);
  }
  FileOutput output(entry_.originalSize, *sink, callbacks_.progress);
  const int code = decodeInto(stream, output);
  if (code != ACE_OK) {
    if (output.stop() == OutputStop::WriteFailed) lastError_ = sink->error();
    return code;  // the sink's destructor removes the temporary file
  }
  const int placed = CodeFor(sink->commit(entry_.dosTime, entry_.attributes));
  return placed == ACE_OK ? placed : fail(placed, sink->error());
}

int ArchiveSession::decodeInto(MemberStream& stream, CheckedOutput& output) {
  if (entry_.compression > format::kBlocked)
    return fail(ACE_ERR_FORMAT, entry_.name + ": unknown compression method " + std::to_string(entry_.compression));
  if (entry_.compression != format::kStored && entry_.dictionaryCode() > format::kMaxDictionaryCode)
    return fail(ACE_ERR_FORMAT, entry_.name + ": dictionary code " + std::to_string(entry_.dictionaryCode()));
  if (entry_.encrypted() && !cipher_) return fail(ACE_ERR_PASSWORD, entry_.name + ": password needed");
  const int code = entry_.compression == format::kStored ? decodeStored(stream, output)
                                                         : decodeCompressed(stream, output);
  return checkResult(stream, output, code);
}

int ArchiveSession::decodeStored(MemberStream& stream, CheckedOutput& output) {
  std::vector<std::uint8_t> buffer(static_cast<std::size_t>(
      std::min<std::uint64_t>(kCopyBufferBytes, std::max<std::uint64_t>(entry_.originalSize, 1))));
  std::uint64_t left = entry_.originalSize;
  while (left > 0) {
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), left));
    const std::size_t got = stream.read(buffer.data(), want);
    if (got == 0) break;
    left -= got;
    if (solid()) {
      decoder().appendStored(buffer.data(), got);
      windowInUse_ = true;
    }
    if (!output.write(buffer.data(), got)) break;
  }
  return ACE_OK;
}

int ArchiveSession::decodeCompressed(MemberStream& stream, CheckedOutput& output) {
  const bool continueWindow = solid() && windowInUse_;
  windowInUse_ = solid();
  const decode::Status status = decoder().decodeMember(stream, output, entry_.originalSize, entry_.dictionaryBytes(),
                                                       entry_.compression == format::kBlocked, continueWindow);
  switch (status) {
    case decode::Status::Ok:
    case decode::Status::Aborted:  // the output's own reason is judged by checkResult
      return ACE_OK;
    case decode::Status::Corrupt:
      return fail(entry_.encrypted() ? ACE_ERR_PASSWORD : ACE_ERR_DATA, entry_.name + ": " + decoder().lastError());
    case decode::Status::Unsupported:
      return fail(ACE_ERR_FORMAT, entry_.name + ": " + decoder().lastError());
    case decode::Status::OutOfMemory:
      return fail(ACE_ERR_MEMORY, entry_.name + ": out of memory while decoding");
  }
  return fail(ACE_ERR_DATA, entry_.name + ": unexpected decoder status");
}

int ArchiveSession::checkResult(MemberStream& stream, const CheckedOutput& output, int decodeCode) {
  // A missing volume or a broken continuation makes the decoder see damaged
  // data; the real cause is reported instead.
  if (stream.failure() != ACE_OK) return fail(stream.failure(), stream.error());
  const int wrongData = entry_.encrypted() ? ACE_ERR_PASSWORD : ACE_ERR_DATA;
  switch (output.stop()) {
    case OutputStop::Aborted:
      return fail(ACE_ERR_ABORTED, entry_.name + ": aborted by the caller");
    case OutputStop::WriteFailed:
      return fail(ACE_ERR_WRITE, entry_.name + ": cannot write the file");
    case OutputStop::Overflow:
      return fail(wrongData, entry_.name + ": more data than the declared size");
    case OutputStop::None:
      break;
  }
  if (decodeCode != ACE_OK) return decodeCode;
  // The member's CRC is in its last piece, possibly in a later volume.
  if (stream.skipRest() != ACE_OK) return fail(stream.failure(), stream.error());
  if (output.produced() != entry_.originalSize)
    return fail(wrongData, entry_.name + ": data ends after " + std::to_string(output.produced()) + " of " +
                               std::to_string(entry_.originalSize) + " bytes");
  if (output.crc() != stream.finalCrc())
    return fail(entry_.encrypted() ? ACE_ERR_PASSWORD : ACE_ERR_DATA_CRC, entry_.name + ": CRC mismatch");
  return ACE_OK;
}

}  // namespace pelmora::unace::archive
