#include "unace/io/ByteSource.h"

#include <algorithm>
#include <cstring>
#include <fstream>

namespace unace::io {

std::size_t MemorySource::read(std::uint8_t* dst, std::size_t max) {
  const std::size_t n = std::min(max, bytes_.size() - position_);
  if (n != 0) std::memcpy(dst, bytes_.data() + position_, n);
  position_ += n;
  return n;
}

bool MemorySource::seek(std::uint64_t offset) {
  if (offset > bytes_.size()) return false;
  position_ = static_cast<std::size_t>(offset);
  return true;
}

std::unique_ptr<ByteSource> MemoryVolumeOpener::open(const std::string& path) {
  const auto found = volumes_.find(path);
  if (found == volumes_.end()) return nullptr;
  return std::make_unique<MemorySource>(found->second);
}

namespace {

class FileSource final : public ByteSource {
 public:
  FileSource(std::ifstream stream, std::uint64_t size) : stream_(std::move(stream)), size_(size) {}

  std::size_t read(std::uint8_t* dst, std::size_t max) override {
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(max, size_ - position_));
    if (want == 0) return 0;
    stream_.read(reinterpret_cast<char*>(dst), static_cast<std::streamsize>(want));
    const auto got = static_cast<std::size_t>(stream_.gcount());
    position_ += got;
    if (got != want) stream_.clear();
    return got;
  }

  bool seek(std::uint64_t offset) override {
    if (offset > size_) return false;
    stream_.clear();
    stream_.seekg(static_cast<std::streamoff>(offset));
    if (!stream_) {
      stream_.clear();
      return false;
    }
    position_ = offset;
    return true;
  }

  std::uint64_t position() const override { return position_; }
  std::uint64_t size() const override { return size_; }

 private:
  std::ifstream stream_;
  std::uint64_t size_;
  std::uint64_t position_ = 0;
};

}  // namespace

std::unique_ptr<ByteSource> FileVolumeOpener::open(const std::string& path) {
  std::ifstream stream(path, std::ios::binary);
  if (!stream) return nullptr;
  stream.seekg(0, std::ios::end);
  const std::streamoff end = stream.tellg();
  if (end < 0) return nullptr;
  stream.seekg(0, std::ios::beg);
  if (!stream) return nullptr;
  return std::make_unique<FileSource>(std::move(stream), static_cast<std::uint64_t>(end));
}

}  // namespace unace::io
