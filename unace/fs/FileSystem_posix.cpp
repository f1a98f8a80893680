#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>

#include "unace/format/DosTime.h"
#include "unace/format/Flags.h"
#include "unace/fs/FileSystem.h"

namespace pelmora::unace::fs {

namespace {

std::string Native(const std::string& path) {
  std::string out = path;
  for (char& c : out)
    if (c == '\\') c = '/';
  return out;
}

std::string ErrnoText(const std::string& what, const std::string& path) {
  return what + " " + path + ": " + std::strerror(errno);
}

bool IsDirectory(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool Exists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

// Creates every missing folder of `path` itself (not just its parents);
// nothing when that worked, else why not.
std::optional<std::string> CreateFolders(const std::string& path) {
  for (std::size_t i = 1; i <= path.size(); ++i) {
    if (i < path.size() && path[i] != '/') continue;
    const std::string prefix = path.substr(0, i);
    if (prefix.empty() || prefix.back() == '/') continue;
    if (::mkdir(prefix.c_str(), 0777) == 0 || errno == EEXIST) {
      if (!IsDirectory(prefix)) return "not a folder: " + prefix;
      continue;
    }
    return ErrnoText("cannot create folder", prefix);
  }
  return std::nullopt;
}

std::string ParentOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos || slash == 0 ? std::string() : path.substr(0, slash);
}

class PosixFileSink final : public FileSink {
 public:
  PosixFileSink(int fd, std::string tempPath, std::string targetPath)
      : fd_(fd), tempPath_(std::move(tempPath)), targetPath_(std::move(targetPath)) {}

  ~PosixFileSink() override {
    if (fd_ >= 0) ::close(fd_);
    if (!committed_) ::unlink(tempPath_.c_str());
  }

  bool Write(const std::uint8_t* data, std::size_t size) override {
    while (size > 0) {
      const ssize_t n = ::write(fd_, data, size);
      if (n < 0) {
        if (errno == EINTR) continue;
        error_ = ErrnoText("cannot write", tempPath_);
        return false;
      }
      data += n;
      size -= static_cast<std::size_t>(n);
    }
    return true;
  }

  std::optional<FsFailure> Commit(std::uint32_t dosTime, std::uint32_t dosAttributes) override {
    if (const auto t = format::DecodeDosTime(dosTime)) {
      std::tm local{};
      local.tm_year = t->year - 1900;
      local.tm_mon = t->month - 1;
      local.tm_mday = t->day;
      local.tm_hour = t->hour;
      local.tm_min = t->minute;
      local.tm_sec = t->second;
      local.tm_isdst = -1;
      const std::time_t when = std::mktime(&local);
      if (when != static_cast<std::time_t>(-1)) {
        const struct timespec times[2] = {{when, 0}, {when, 0}};
        ::futimens(fd_, times);
      }
    }
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0)
      return FsFailure{FsFailure::Kind::Failed, ErrnoText("cannot finish writing", tempPath_)};
    if (::rename(tempPath_.c_str(), targetPath_.c_str()) != 0) {
      // The message first: the existence test sets errno again.
      std::string text = ErrnoText("cannot put the file in place at", targetPath_);
      const bool occupied = Exists(targetPath_);
      return FsFailure{occupied ? FsFailure::Kind::Exists : FsFailure::Kind::Failed,
                       std::move(text)};
    }
    committed_ = true;
    if (dosAttributes & format::kAttributeReadOnly) {
      struct stat st {};
      if (::stat(targetPath_.c_str(), &st) == 0)
        ::chmod(targetPath_.c_str(),
                st.st_mode & ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH));
    }
    return std::nullopt;
  }

  const std::string& Error() const override { return error_; }

 private:
  int fd_;
  std::string tempPath_;
  std::string targetPath_;
  bool committed_ = false;
  std::string error_;
};

}  // namespace

std::variant<std::unique_ptr<FileSink>, FsFailure> CreateFileSink(const std::string& targetPath) {
  const std::string target = Native(targetPath);
  if (target.empty() || target.back() == '/')
    return FsFailure{FsFailure::Kind::Failed, "no file name in target path " + targetPath};
  const std::string parent = ParentOf(target);
  if (!parent.empty()) {
    if (std::optional<std::string> why = CreateFolders(parent))
      return FsFailure{FsFailure::Kind::Failed, std::move(*why)};
  }
  for (int attempt = 0; attempt < 100; ++attempt) {
    // Short and in the target's folder: the rename stays within one volume,
    // and a target name close to the path length limit still gets a partner.
    std::string temp = (parent.empty() ? std::string() : parent + "/") + ".~unace-" +
                       std::to_string(::getpid()) + "-" + std::to_string(attempt) + ".tmp";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) return std::make_unique<PosixFileSink>(fd, std::move(temp), target);
    if (errno != EEXIST)
      return FsFailure{FsFailure::Kind::Failed, ErrnoText("cannot create", temp)};
  }
  return FsFailure{FsFailure::Kind::Failed, "no free temporary name beside " + target};
}

std::optional<FsFailure> MakeDirectory(const std::string& path, std::uint32_t /*dosAttributes*/) {
  std::string folder = Native(path);
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  if (Exists(folder) && !IsDirectory(folder))
    return FsFailure{FsFailure::Kind::Exists, "a file is in the way of folder " + folder};
  if (std::optional<std::string> why = CreateFolders(folder))
    return FsFailure{FsFailure::Kind::Failed, std::move(*why)};
  return std::nullopt;
}

}  // namespace pelmora::unace::fs
