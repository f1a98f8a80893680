#include <windows.h>

#include "unace/fs/FileSystem.h"

namespace unace::fs {
namespace {

constexpr DWORD kAttributesWeSet =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;

std::string LastErrorText(const std::string& what, const std::string& path) {
  return what + " " + path + ": Windows error " + std::to_string(GetLastError());
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsDirectory(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Creates every missing folder of `path` itself. Drive roots and the parts
// of a UNC prefix cannot be created; failures on the way are left for the
// final test to judge.
bool CreateFolders(const std::string& path, std::string& why) {
  for (std::size_t i = 1; i <= path.size(); ++i) {
    if (i < path.size() && !IsSeparator(path[i])) continue;
    const std::string prefix = path.substr(0, i);
    if (IsSeparator(prefix.back()) || prefix.back() == ':' || IsDirectory(prefix)) continue;
    CreateDirectoryA(prefix.c_str(), nullptr);
  }
  if (!IsDirectory(path)) {
    why = LastErrorText("cannot create folder", path);
    return false;
  }
  return true;
}

std::string ParentOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// Windows 9x has no MoveFileExA; there, an existing target is deleted first.
bool ReplaceFile(const std::string& from, const std::string& to) {
  if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
  if (GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) return false;
  if (Exists(to) && !DeleteFileA(to.c_str())) return false;
  return MoveFileA(from.c_str(), to.c_str()) != 0;
}

class WinFileSink final : public FileSink {
 public:
  WinFileSink(HANDLE handle, std::string tempPath, std::string targetPath)
      : handle_(handle), tempPath_(std::move(tempPath)), targetPath_(std::move(targetPath)) {}

  ~WinFileSink() override {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    if (!committed_) DeleteFileA(tempPath_.c_str());
  }

  bool write(const std::uint8_t* data, std::size_t size) override {
    while (size > 0) {
      const DWORD chunk = size > 0x10000000u ? 0x10000000u : static_cast<DWORD>(size);
      DWORD written = 0;
      if (!WriteFile(handle_, data, chunk, &written, nullptr) || written == 0) {
        error_ = LastErrorText("cannot write", tempPath_);
        return false;
      }
      data += written;
      size -= written;
    }
    return true;
  }

  FsResult commit(std::uint32_t dosTime, std::uint32_t dosAttributes) override {
    FILETIME local{};
    FILETIME utc{};
    if (DosDateTimeToFileTime(static_cast<WORD>(dosTime >> 16), static_cast<WORD>(dosTime & 0xFFFFu), &local) &&
        LocalFileTimeToFileTime(&local, &utc))
      SetFileTime(handle_, nullptr, nullptr, &utc);
    const HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    if (!CloseHandle(handle)) {
      error_ = LastErrorText("cannot finish writing", tempPath_);
      return FsResult::Failed;
    }
    if (!ReplaceFile(tempPath_, targetPath_)) {
      const bool occupied = Exists(targetPath_);
      error_ = LastErrorText("cannot put the file in place at", targetPath_);
      return occupied ? FsResult::Exists : FsResult::Failed;
    }
    committed_ = true;
    const DWORD attributes = dosAttributes & kAttributesWeSet;
    if (attributes != 0) SetFileAttributesA(targetPath_.c_str(), attributes);
    return FsResult::Ok;
  }

  const std::string& error() const override { return error_; }

 private:
  HANDLE handle_;
  std::string tempPath_;
  std::string targetPath_;
  bool committed_ = false;
  std::string error_;
};

}  // namespace

std::unique_ptr<FileSink> CreateFileSink(const std::string& targetPath, std::string& why) {
  if (targetPath.empty() || IsSeparator(targetPath.back())) {
    why = "no file name in target path " + targetPath;
    return nullptr;
  }
  const std::string parent = ParentOf(targetPath);
  if (!parent.empty() && parent.back() != ':' && !CreateFolders(parent, why)) return nullptr;
  for (int attempt = 0; attempt < 100; ++attempt) {
    // Short and in the target's folder: the rename stays within one volume,
    // and a target name close to the path length limit still gets a partner.
    std::string temp = (parent.empty() ? std::string() : parent + "\\") + ".~unace-" +
                       std::to_string(GetCurrentProcessId()) + "-" + std::to_string(attempt) + ".tmp";
    const HANDLE handle =
        CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) return std::make_unique<WinFileSink>(handle, std::move(temp), targetPath);
    if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) {
      why = LastErrorText("cannot create", temp);
      return nullptr;
    }
  }
  why = "no free temporary name beside " + targetPath;
  return nullptr;
}

FsResult MakeDirectory(const std::string& path, std::uint32_t dosAttributes, std::string& why) {
  std::string folder = path;
  while (folder.size() > 1 && IsSeparator(folder.back())) folder.pop_back();
  if (Exists(folder) && !IsDirectory(folder)) {
    why = "a file is in the way of folder " + folder;
    return FsResult::Exists;
  }
  if (!CreateFolders(folder, why)) return FsResult::Failed;
  // Read-only means little on a folder (Explorer uses it for customised
  // folders); hidden and system are what the archive's author meant.
  const DWORD attributes = dosAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  if (attributes != 0) SetFileAttributesA(folder.c_str(), attributes);
  return FsResult::Ok;
}

}  // namespace unace::fs
