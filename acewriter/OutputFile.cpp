#include "acewriter/OutputFile.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "unace/io/LargeFileOffset.h"

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

void OutputFile::Overwrite(std::uint64_t offset, std::span<const std::uint8_t> bytes) {
  if (!file_) throw std::logic_error("write to closed archive file " + path_);
  if (offset + bytes.size() > size_) throw std::logic_error("overwrite beyond the end of " + path_);
  if (!unace::io::SeekLarge(file_.get(), offset, SEEK_SET) ||
      std::fwrite(bytes.data(), 1, bytes.size(), file_.get()) != bytes.size() ||
      !unace::io::SeekLarge(file_.get(), 0, SEEK_END))
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
