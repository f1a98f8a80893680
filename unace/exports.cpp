// The library's five exports. The library is built without exceptions, so
// nothing can unwind into the caller, which is plain C (or Pascal) code:
// every failure arrives here as a code. Memory an archive decides about
// (the dictionary, rows of a picture) is asked for without throwing and
// answered with ACE_ERR_MEMORY; running out of any other, small, allocation
// ends the process (common/FailuresEndTheProgram.cpp says why).
#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "unace/Exports.h"
#include "unace/archive/ArchiveSession.h"
#include "unace/archive/ProcessLock.h"

namespace {

using pelmora::unace::archive::ArchiveSession;

// The archives open in this process. A handle is a number handed out once,
// never an address: a stale, doubled or foreign handle is looked up, not
// followed, and answered with the argument error.
class OpenArchives {
 public:
  ACEHandle Add(std::shared_ptr<ArchiveSession> session) {
    const pelmora::unace::archive::ProcessLockHolder hold(lock_);
    do {
      last_ = last_ == std::numeric_limits<ACEHandle>::max() ? 1 : last_ + 1;
    } while (IndexOf(last_) != sessions_.size());
    sessions_.push_back({last_, std::move(session)});
    return last_;
  }

  // Null for a handle that is not open. The caller's share keeps the
  // session alive should a callback close the handle meanwhile.
  std::shared_ptr<ArchiveSession> Find(ACEHandle handle) const {
    const pelmora::unace::archive::ProcessLockHolder hold(lock_);
    const std::size_t at = IndexOf(handle);
    return at == sessions_.size() ? nullptr : sessions_[at].session;
  }

  // Hands the session back, so it is closed outside the lock.
  std::shared_ptr<ArchiveSession> Remove(ACEHandle handle) {
    const pelmora::unace::archive::ProcessLockHolder hold(lock_);
    const std::size_t at = IndexOf(handle);
    if (at == sessions_.size()) return nullptr;
    std::shared_ptr<ArchiveSession> session = std::move(sessions_[at].session);
    sessions_.erase(sessions_.begin() + static_cast<std::ptrdiff_t>(at));
    return session;
  }

 private:
  struct Open {
    ACEHandle handle;
    std::shared_ptr<ArchiveSession> session;
  };

  // The handle's place in the list; its size when the handle is not open.
  std::size_t IndexOf(ACEHandle handle) const {
    std::size_t at = 0;
    while (at < sessions_.size() && sessions_[at].handle != handle) ++at;
    return at;
  }

  mutable pelmora::unace::archive::ProcessLock lock_;
  // A list rather than a map: a setup has one or two archives open, and the
  // map's tree code took 3 KB of the DLL.
  std::vector<Open> sessions_;
  ACEHandle last_ = 0;
};

OpenArchives& Archives() {
  static OpenArchives archives;
  return archives;
}

pelmora::unace::archive::SessionCallbacks WrapCallbacks(const TACEOpenData& data) {
  pelmora::unace::archive::SessionCallbacks callbacks;
  if (ACEChangeVolProc changeVolume = data.ChangeVolProc) {
    callbacks.volume = [changeVolume](const std::string& path, int mode) {
      // The callback gets its own writable copy of the name.
      std::vector<char> name(path.size() + 1 < 260 ? 260 : path.size() + 1, '\0');
      std::memcpy(name.data(), path.data(), path.size());
      return changeVolume(name.data(), mode);
    };
  }
  if (ACEProcessDataProc progress = data.ProcessDataProc) {
    callbacks.progress = [progress](const std::uint8_t* block, std::size_t size) {
      return progress(const_cast<unsigned char*>(block), static_cast<int>(size)) != 0;
    };
  }
  return callbacks;
}

void CopyText(char* destination, std::size_t capacity, const std::string& text) {
  std::memset(destination, 0, capacity);
  const std::size_t n = std::min(text.size(), capacity - 1);
  std::memcpy(destination, text.data(), n);  // an embedded NUL ends the name for the caller
}

}  // namespace

extern "C" {

UNACE_EXPORT ACEHandle UNACE_CALL ACEOpenArchive(TACEOpenData* openData) {
  if (!openData) return 0;
  if (!openData->ArchiveName) {
    openData->OpenResult = ACE_ERR_ARGUMENT;
    return 0;
  }
  std::unique_ptr<pelmora::unace::io::VolumeOpener> opener;
  pelmora::unace::archive::SessionCallbacks callbacks = WrapCallbacks(*openData);
  if (openData->VolumeLength != 0) {
    opener = std::make_unique<pelmora::unace::io::FileRangeOpener>(
        openData->ArchiveName, openData->VolumeOffset, openData->VolumeLength);
    // A stored archive is all there is: no volume to ask the caller for.
    callbacks.volume = nullptr;
  } else if (openData->VolumeOffset != 0) {
    openData->OpenResult = ACE_ERR_ARGUMENT;
    return 0;
  } else {
    opener = std::make_unique<pelmora::unace::io::FileVolumeOpener>();
  }
  auto session = std::make_shared<ArchiveSession>(std::move(opener), std::move(callbacks),
                                                  openData->OpenMode == ACE_OPEN_EXTRACT);
  openData->OpenResult = session->Open(openData->ArchiveName);
  return openData->OpenResult == ACE_OK ? Archives().Add(std::move(session)) : 0;
}

UNACE_EXPORT int UNACE_CALL ACECloseArchive(ACEHandle handle) {
  return Archives().Remove(handle) ? ACE_OK : ACE_ERR_ARGUMENT;
}

UNACE_EXPORT int UNACE_CALL ACEReadHeader(ACEHandle handle, TACEHeaderData* header) {
  const std::shared_ptr<ArchiveSession> session = Archives().Find(handle);
  if (!session || !header) return ACE_ERR_ARGUMENT;
  const int code = session->ReadHeader();
  if (code != ACE_OK) return code;
  const pelmora::unace::format::FileHeader& entry = session->CurrentEntry();
  CopyText(header->ArchiveName, sizeof header->ArchiveName, session->EntryVolumePath());
  CopyText(header->FileName, sizeof header->FileName, entry.name);
  header->Flags = entry.flags;
  header->PackSize = static_cast<std::uint32_t>(entry.packedSize);
  header->UnpSize = static_cast<std::uint32_t>(entry.originalSize);
  header->FileCRC = entry.crc32;
  header->FileTime = entry.dosTime;
  header->Method = entry.compression;
  header->Quality = entry.quality;
  header->Attributes = entry.attributes;
  std::memset(header->Reserved, 0, sizeof header->Reserved);
  return ACE_OK;
}

UNACE_EXPORT int UNACE_CALL ACEProcessFile(ACEHandle handle, int operation, const char* destPath) {
  const std::shared_ptr<ArchiveSession> session = Archives().Find(handle);
  if (!session) return ACE_ERR_ARGUMENT;
  return session->Process(operation, destPath);
}

UNACE_EXPORT int UNACE_CALL ACESetPassword(ACEHandle handle, const char* password) {
  const std::shared_ptr<ArchiveSession> session = Archives().Find(handle);
  if (!session) return ACE_ERR_ARGUMENT;
  if (password)
    session->SetPassword(std::string(password));
  else
    session->SetPassword(std::nullopt);
  return ACE_OK;
}

}  // extern "C"
