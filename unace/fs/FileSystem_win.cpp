#include <windows.h>

#include <utility>

#include "common/WinHandle.h"
#include "unace/fs/FileSystem.h"

namespace pelmora::unace::fs {

namespace {

constexpr DWORD kAttributesWeSet = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                   FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;

// `error` is read by the caller right after the call that failed: any call
// in between (even a test whether a file exists) may replace it.
std::string FailureText(const std::string& what, const std::string& path, DWORD error) {
  return what + " " + path + ": Windows error " + std::to_string(error);
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// On failure `error` (if given) receives the reason the attributes could
// not be read.
bool IsDirectory(const std::string& path, DWORD* error = nullptr) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    if (error) *error = GetLastError();
    return false;
  }
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// How much of `path` names what no CreateDirectory can make: the server and
// share of a UNC path ("\\server\share"). Drive roots end in ':' or a
// separator and are passed over by the caller.
std::size_t UncRootLength(const std::string& path) {
  if (path.size() < 2 || !IsSeparator(path[0]) || !IsSeparator(path[1])) return 0;
  const std::size_t serverEnd = path.find_first_of("\\/", 2);
  if (serverEnd == std::string::npos) return path.size();
  const std::size_t shareEnd = path.find_first_of("\\/", serverEnd + 1);
  return shareEnd == std::string::npos ? path.size() : shareEnd;
}

// Creates every missing folder of `path` itself; nothing when that worked.
// A failure on the way is judged by the final test; if that fails, the
// first folder that could not be made is named with its own error, which is
// where the trouble started.
std::optional<std::string> CreateFolders(const std::string& path) {
  std::string failedFolder;
  DWORD failure = ERROR_SUCCESS;
  for (std::size_t i = UncRootLength(path) + 1; i <= path.size(); ++i) {
    if (i < path.size() && !IsSeparator(path[i])) continue;
    const std::string prefix = path.substr(0, i);
    if (IsSeparator(prefix.back()) || prefix.back() == ':' || IsDirectory(prefix)) continue;
    if (!CreateDirectoryA(prefix.c_str(), nullptr) && failure == ERROR_SUCCESS) {
      failure = GetLastError();
      failedFolder = prefix;
    }
  }
  DWORD testFailure = ERROR_SUCCESS;
  if (IsDirectory(path, &testFailure)) return std::nullopt;
  if (failure == ERROR_SUCCESS) return FailureText("cannot create folder", path, testFailure);
  if (failedFolder == path) return FailureText("cannot create folder", path, failure);
  return FailureText("cannot create folder", failedFolder + " (for " + path + ")", failure);
}

std::string ParentOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// Windows 9x has no MoveFileExA; there, an existing target is deleted
// first. On failure the thread's last error is that of the failing call.
bool ReplaceFile(const std::string& from, const std::string& to) {
  if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
  if (GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) return false;
  if (Exists(to) && !DeleteFileA(to.c_str())) return false;
  return MoveFileA(from.c_str(), to.c_str()) != 0;
}

class WinFileSink final : public FileSink {
 public:
  WinFileSink(pelmora::win::UniqueHandle handle, std::string tempPath, std::string targetPath)
      : handle_(std::move(handle)),
        tempPath_(std::move(tempPath)),
        targetPath_(std::move(targetPath)) {}

  ~WinFileSink() override {
    // The caller reads why a write failed from the thread's last error
    // (ACE_ERR_WRITE in UnAceApi.h): the clean-up must not replace it.
    const DWORD error = GetLastError();
    handle_.Reset();  // a file still open cannot be deleted
    if (!committed_) DeleteFileA(tempPath_.c_str());
    SetLastError(error);
  }

  bool Write(const std::uint8_t* data, std::size_t size) override {
    while (size > 0) {
      const DWORD chunk = size > 0x10000000u ? 0x10000000u : static_cast<DWORD>(size);
      DWORD written = 0;
      if (!WriteFile(handle_.Get(), data, chunk, &written, nullptr)) {
        error_ = FailureText("cannot write", tempPath_, GetLastError());
        return false;
      }
      if (written == 0) {
        error_ = "cannot write " + tempPath_ + ": nothing was written";
        return false;
      }
      data += written;
      size -= written;
    }
    return true;
  }

  std::optional<FsFailure> Commit(std::uint32_t dosTime, std::uint32_t dosAttributes) override {
    FILETIME local{};
    FILETIME utc{};
    if (DosDateTimeToFileTime(static_cast<WORD>(dosTime >> 16),
                              static_cast<WORD>(dosTime & 0xFFFFu), &local) &&
        LocalFileTimeToFileTime(&local, &utc))
      SetFileTime(handle_.Get(), nullptr, nullptr, &utc);
    // A failing close can mean data that never reached the disk.
    if (const auto failure = pelmora::win::CloseChecked(std::move(handle_), tempPath_))
      return FsFailure{FsFailure::Kind::Failed,
                       FailureText("cannot finish writing", tempPath_, failure->code)};
    if (!ReplaceFile(tempPath_, targetPath_)) {
      const DWORD error = GetLastError();
      const bool occupied = Exists(targetPath_);
      SetLastError(error);
      return FsFailure{occupied ? FsFailure::Kind::Exists : FsFailure::Kind::Failed,
                       FailureText("cannot put the file in place at", targetPath_, error)};
    }
    committed_ = true;
    // A file Windows has just created has the archive attribute and no
    // other that we set: only a wish beyond that costs a call (by far the
    // most files ask for just the archive attribute).
    const DWORD attributes = dosAttributes & kAttributesWeSet;
    if ((attributes & ~FILE_ATTRIBUTE_ARCHIVE) != 0)
      SetFileAttributesA(targetPath_.c_str(), attributes);
    return std::nullopt;
  }

  const std::string& Error() const override { return error_; }

 private:
  pelmora::win::UniqueHandle handle_;
  std::string tempPath_;
  std::string targetPath_;
  bool committed_ = false;
  std::string error_;
};

}  // namespace

std::variant<std::unique_ptr<FileSink>, FsFailure> CreateFileSink(const std::string& targetPath) {
  if (targetPath.empty() || IsSeparator(targetPath.back()))
    return FsFailure{FsFailure::Kind::Failed, "no file name in target path " + targetPath};
  const std::string parent = ParentOf(targetPath);
  // The folders are made only when the file cannot be created at first:
  // most files go into a folder that an earlier one needed, and looking at
  // every folder on the way for every file cost more than writing a small
  // file.
  bool foldersMade = parent.empty() || parent.back() == ':';
  for (int attempt = 0; attempt < 100; ++attempt) {
    // Short and in the target's folder: the rename stays within one volume,
    // and a target name close to the path length limit still gets a partner.
    std::string temp = (parent.empty() ? std::string() : parent + "\\") + ".~unace-" +
                       std::to_string(GetCurrentProcessId()) + "-" + std::to_string(attempt) +
                       ".tmp";
    pelmora::win::UniqueHandle handle(CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr,
                                                  CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (handle)
      return std::make_unique<WinFileSink>(std::move(handle), std::move(temp), targetPath);
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) continue;
    // Whatever else failed is judged as before, with the folders made.
    if (!foldersMade) {
      foldersMade = true;
      if (std::optional<std::string> why = CreateFolders(parent))
        return FsFailure{FsFailure::Kind::Failed, std::move(*why)};
      --attempt;  // the same name again, now that its folder exists
      continue;
    }
    return FsFailure{FsFailure::Kind::Failed, FailureText("cannot create", temp, error)};
  }
  return FsFailure{FsFailure::Kind::Failed, "no free temporary name beside " + targetPath};
}

std::optional<FsFailure> MakeDirectory(const std::string& path, std::uint32_t dosAttributes) {
  std::string folder = path;
  while (folder.size() > 1 && IsSeparator(folder.back())) folder.pop_back();
  if (Exists(folder) && !IsDirectory(folder))
    return FsFailure{FsFailure::Kind::Exists, "a file is in the way of folder " + folder};
  if (std::optional<std::string> why = CreateFolders(folder))
    return FsFailure{FsFailure::Kind::Failed, std::move(*why)};
  // Read-only means little on a folder (Explorer uses it for customised
  // folders); hidden and system are what the archive's author meant.
  const DWORD attributes = dosAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  if (attributes != 0) SetFileAttributesA(folder.c_str(), attributes);
  return std::nullopt;
}

}  // namespace pelmora::unace::fs
