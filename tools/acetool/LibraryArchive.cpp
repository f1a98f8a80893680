#include "tools/acetool/LibraryArchive.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "unace/Exports.h"

namespace pelmora::acetool {
namespace {

// The volume callback carries no user pointer, so the archive being worked
// on is found here; acetool has one open at a time.
LibraryArchive* g_activeArchive = nullptr;

}  // namespace

LibraryArchive::LibraryArchive(const std::string& path, int openMode) {
  if (g_activeArchive) throw std::logic_error("only one archive may be open at a time");
  std::vector<char> name(path.begin(), path.end());
  name.push_back('\0');
  TACEOpenData open;
  std::memset(&open, 0, sizeof open);
  open.ArchiveName = name.data();
  open.OpenMode = openMode;
  open.ChangeVolProc = &LibraryArchive::VolumeCallback;
  open.ProcessDataProc = &LibraryArchive::DataCallback;
  g_activeArchive = this;
  handle_ = ACEOpenArchive(&open);
  openCode_ = handle_ ? open.OpenResult : (open.OpenResult ? open.OpenResult : ACE_ERR_OPEN);
  if (!handle_) g_activeArchive = nullptr;
}

LibraryArchive::~LibraryArchive() {
  if (handle_) ACECloseArchive(handle_);
  if (g_activeArchive == this) g_activeArchive = nullptr;
}

void LibraryArchive::SetPassword(const std::string& password) {
  ACESetPassword(handle_, password.c_str());
}

int LibraryArchive::Next(EntryInfo& entry) {
  TACEHeaderData header;
  std::memset(&header, 0, sizeof header);
  const int code = ACEReadHeader(handle_, &header);
  if (code != ACE_OK) return code;
  const char* const begin = header.FileName;
  const char* end = std::find(begin, begin + sizeof header.FileName, '\0');
  entry.name.assign(begin, end);
  entry.flags = header.Flags;
  entry.packedSize = header.PackSize;
  entry.originalSize = header.UnpSize;
  entry.crc32 = header.FileCRC;
  entry.dosTime = header.FileTime;
  entry.method = header.Method;
  entry.attributes = header.Attributes;
  return ACE_OK;
}

int LibraryArchive::Process(int operation, const std::string& target) {
  return ACEProcessFile(handle_, operation, operation == ACE_EXTRACT ? target.c_str() : nullptr);
}

int LibraryArchive::VolumeCallback(char* name, int mode) {
  // Must not throw: it is called from inside the library.
  try {
    return g_activeArchive ? g_activeArchive->OnVolume(name ? name : "", mode) : 1;
  } catch (...) {
    return 1;
  }
}

int LibraryArchive::DataCallback(unsigned char*, int count) {
  // Must not throw either; 1 goes on, and a display that fails is no reason
  // to stop extracting.
  try {
    if (g_activeArchive && g_activeArchive->onData_ && count > 0)
      g_activeArchive->onData_(static_cast<std::size_t>(count));
  } catch (...) {
  }
  return 1;
}

int LibraryArchive::OnVolume(const std::string& name, int mode) {
  if (mode != ACE_VOLUME_MISSING) return 0;
  // A command line has nobody to insert a disk: look once more (the file may
  // just be appearing), then give up.
  if (name != lastAskedVolume_) {
    lastAskedVolume_ = name;
    return 0;
  }
  missingVolumes_.push_back(name);
  return 1;
}

}  // namespace pelmora::acetool
