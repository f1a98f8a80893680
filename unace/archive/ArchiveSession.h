// One open archive as the exports see it: open, read the next entry's
// header, skip/test/extract that entry, set the password, close. All state
// lives here (one object per handle). Methods return the library's codes
// (unace/UnAceApi.h) and never write outside the path they are given.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "unace/UnAceApi.h"
#include "unace/archive/MemberOutput.h"
#include "unace/archive/VolumeSet.h"
#include "unace/crypto/AceCipher.h"
#include "unace/decode/Decoder.h"
#include "unace/format/Headers.h"
#include "unace/io/ByteSource.h"

namespace pelmora::unace::archive {

class MemberStream;

struct SessionCallbacks {
  VolumeCallback volume;
  ProgressCallback progress;
};

class ArchiveSession {
 public:
  // `extracting` is the open mode: in list mode nothing is ever decoded.
  ArchiveSession(std::unique_ptr<io::VolumeOpener> opener, SessionCallbacks callbacks,
                 bool extracting);
  ~ArchiveSession();
  ArchiveSession(const ArchiveSession&) = delete;
  ArchiveSession& operator=(const ArchiveSession&) = delete;

  int Open(const std::string& firstVolumePath);

  // ACE_OK with CurrentEntry() filled, ACE_END_OF_ARCHIVE, or an error. An
  // entry left unprocessed is passed over first.
  int ReadHeader();
  const format::FileHeader& CurrentEntry() const { return entry_; }
  const std::string& EntryVolumePath() const { return entryVolume_; }

  // ACE_SKIP, ACE_TEST or ACE_EXTRACT (to exactly `targetPath`) on the entry
  // of the last readHeader; each entry can be processed once.
  int Process(int operation, const char* targetPath);

  // Holds for the entries that follow; nullopt forgets it.
  void SetPassword(std::optional<std::string> password);

  // Human-readable detail of the last failure.
  const std::string& LastError() const { return lastError_; }

 private:
  enum class EntryState { None, Pending, Done };

  int Fail(int code, std::string why);
  decode::Decoder& Decoder();
  bool Solid() const { return volumes_.FirstMain().Solid(); }
  int ProcessEntry(int operation, const char* targetPath, MemberStream& stream);
  int ExtractTo(const std::string& targetPath, MemberStream& stream);
  int DecodeInto(MemberStream& stream, CheckedOutput& output);
  int DecodeStored(MemberStream& stream, CheckedOutput& output);
  int DecodeCompressed(MemberStream& stream, CheckedOutput& output);
  int CheckResult(MemberStream& stream, const CheckedOutput& output, int decodeCode);
  // Keeps a solid archive's window whole when an entry is not extracted.
  int PassOver(MemberStream& stream);
  crypto::AceCipher* CipherForEntry();

  std::unique_ptr<io::VolumeOpener> opener_;
  SessionCallbacks callbacks_;
  bool extracting_;
  VolumeSet volumes_;
  bool opened_ = false;
  // Once the end is reached or the block sequence is lost, readHeader keeps
  // answering this code.
  int stickyCode_ = ACE_OK;

  format::FileHeader entry_;
  std::string entryVolume_;
  EntryState state_ = EntryState::None;

  std::optional<std::string> password_;
  std::unique_ptr<crypto::AceCipher> cipher_;
  std::unique_ptr<decode::Decoder> decoder_;
  bool windowInUse_ = false;  // a solid archive's window holds earlier members

  std::string lastError_;
};

}  // namespace pelmora::unace::archive
