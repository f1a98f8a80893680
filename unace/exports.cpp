// The library's five exports. Each one catches everything: no exception may
// reach the caller, which is plain C (or Pascal) code.
#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "unace/Exports.h"
#include "unace/archive/ArchiveSession.h"

#if defined(_WIN32)
#define UNACE_EXPORT
#else
#define UNACE_EXPORT __attribute__((visibility("default")))
#endif

namespace {

using unace::archive::ArchiveSession;

// Guards against handles that are not ours (a zero, a stale or a random
// value that still points into readable memory).
constexpr std::uint32_t kHandleTag = 0x45434155u;

struct OpenArchive {
  std::uint32_t tag = kHandleTag;
  std::unique_ptr<ArchiveSession> session;
  ~OpenArchive() { tag = 0; }
};

OpenArchive* FromHandle(ACEHandle handle) {
  auto* archive = reinterpret_cast<OpenArchive*>(handle);
  return archive && archive->tag == kHandleTag ? archive : nullptr;
}

template <typename Body>
int Guarded(Body&& body) {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return ACE_ERR_MEMORY;
  } catch (...) {
    return ACE_ERR_ARGUMENT;
  }
}

unace::archive::SessionCallbacks WrapCallbacks(const TACEOpenData& data) {
  unace::archive::SessionCallbacks callbacks;
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
  OpenArchive* opened = nullptr;
  openData->OpenResult = Guarded([&] {
    if (!openData->ArchiveName) return static_cast<int>(ACE_ERR_ARGUMENT);
    auto archive = std::make_unique<OpenArchive>();
    archive->session = std::make_unique<ArchiveSession>(std::make_unique<unace::io::FileVolumeOpener>(),
                                                        WrapCallbacks(*openData),
                                                        openData->OpenMode == ACE_OPEN_EXTRACT);
    const int code = archive->session->open(openData->ArchiveName);
    if (code == ACE_OK) opened = archive.release();
    return code;
  });
  return reinterpret_cast<ACEHandle>(opened);
}

UNACE_EXPORT int UNACE_CALL ACECloseArchive(ACEHandle handle) {
  return Guarded([&] {
    OpenArchive* archive = FromHandle(handle);
    if (!archive) return static_cast<int>(ACE_ERR_ARGUMENT);
    delete archive;
    return static_cast<int>(ACE_OK);
  });
}

UNACE_EXPORT int UNACE_CALL ACEReadHeader(ACEHandle handle, TACEHeaderData* header) {
  return Guarded([&] {
    OpenArchive* archive = FromHandle(handle);
    if (!archive || !header) return static_cast<int>(ACE_ERR_ARGUMENT);
    const int code = archive->session->readHeader();
    if (code != ACE_OK) return code;
    const unace::format::FileHeader& entry = archive->session->currentEntry();
    CopyText(header->ArchiveName, sizeof header->ArchiveName, archive->session->entryVolumePath());
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
    return static_cast<int>(ACE_OK);
  });
}

UNACE_EXPORT int UNACE_CALL ACEProcessFile(ACEHandle handle, int operation, const char* destPath) {
  return Guarded([&] {
    OpenArchive* archive = FromHandle(handle);
    if (!archive) return static_cast<int>(ACE_ERR_ARGUMENT);
    return archive->session->process(operation, destPath);
  });
}

UNACE_EXPORT int UNACE_CALL ACESetPassword(ACEHandle handle, const char* password) {
  return Guarded([&] {
    OpenArchive* archive = FromHandle(handle);
    if (!archive) return static_cast<int>(ACE_ERR_ARGUMENT);
    if (password)
      archive->session->setPassword(std::string(password));
    else
      archive->session->setPassword(std::nullopt);
    return static_cast<int>(ACE_OK);
  });
}

}  // extern "C"
