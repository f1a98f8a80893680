#include "acewriter/OutputFile.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace acewriter {

OutputFile::OutputFile(std::string path) : path_(std::move(path)) {
  file_.reset(std::fopen(path_.c_str(), "wb"));
  if (!file_) fail("cannot create");
}

void OutputFile::write(std::span<const std::uint8_t> bytes) {
  if (!file_) throw std::logic_error("write to closed archive file " + path_);
  if (bytes.empty()) return;
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_.get()) != bytes.size()) fail("cannot write");
  size_ += bytes.size();
}

void OutputFile::close() {
  if (!file_) return;
  std::FILE* f = file_.release();
  const bool flushed = std::fflush(f) == 0;
  const int savedErrno = errno;
  const bool closed = std::fclose(f) == 0;
  if (!flushed || !closed) {
    if (!flushed) errno = savedErrno;
    fail("cannot write");
  }
}

void OutputFile::fail(const char* what) const {
  throw std::runtime_error(std::string(what) + " " + path_ + ": " + std::strerror(errno));
}

bool FileExists(const std::string& path) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(path.c_str(), "rb"), &std::fclose);
  return f != nullptr;
}

}  // namespace acewriter
