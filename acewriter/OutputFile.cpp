#include "acewriter/OutputFile.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace pelmora::acewriter {

OutputFile::OutputFile(std::string path) : path_(std::move(path)) {
  file_.reset(std::fopen(path_.c_str(), "wb"));
  if (!file_) Fail("cannot create");
}

void OutputFile::Write(std::span<const std::uint8_t> bytes) {
  if (!file_) throw std::logic_error("write to closed archive file " + path_);
  if (bytes.empty()) return;
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_.get()) != bytes.size()) Fail("cannot write");
  size_ += bytes.size();
}

namespace {

bool SeekTo(std::FILE* f, std::uint64_t offset, int whence) {
#if defined(_WIN32)
  return _fseeki64(f, static_cast<long long>(offset), whence) == 0;
#else
  return fseeko(f, static_cast<off_t>(offset), whence) == 0;
#endif
}

}  // namespace

void OutputFile::Overwrite(std::uint64_t offset, std::span<const std::uint8_t> bytes) {
  if (!file_) throw std::logic_error("write to closed archive file " + path_);
  if (offset + bytes.size() > size_) throw std::logic_error("overwrite beyond the end of " + path_);
  if (!SeekTo(file_.get(), offset, SEEK_SET) ||
      std::fwrite(bytes.data(), 1, bytes.size(), file_.get()) != bytes.size() ||
      !SeekTo(file_.get(), 0, SEEK_END))
    Fail("cannot write");
}

void OutputFile::Close() {
  if (!file_) return;
  std::FILE* f = file_.release();
  const bool flushed = std::fflush(f) == 0;
  const int savedErrno = errno;
  const bool closed = std::fclose(f) == 0;
  if (!flushed || !closed) {
    if (!flushed) errno = savedErrno;
    Fail("cannot write");
  }
}

void OutputFile::Fail(const char* what) const {
  throw std::runtime_error(std::string(what) + " " + path_ + ": " + std::strerror(errno));
}

bool FileExists(const std::string& path) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(path.c_str(), "rb"), &std::fclose);
  return f != nullptr;
}

}  // namespace pelmora::acewriter
