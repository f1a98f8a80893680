#include "unace/io/ByteSource.h"

#include <algorithm>
#include <cstring>
#include <cstdio>
#include <optional>

#include "unace/io/LargeFileOffset.h"

namespace pelmora::unace::io {

std::size_t MemorySource::Read(std::uint8_t* dst, std::size_t max) {
  const std::size_t n = std::min(max, bytes_.size() - position_);
  if (n != 0) std::memcpy(dst, bytes_.data() + position_, n);
  position_ += n;
  return n;
}

bool MemorySource::Seek(std::uint64_t offset) {
  if (offset > bytes_.size()) return false;
  position_ = static_cast<std::size_t>(offset);
  return true;
}

std::unique_ptr<ByteSource> MemoryVolumeOpener::Open(const std::string& path) {
  const auto found = volumes_.find(path);
  if (found == volumes_.end()) return nullptr;
  return std::make_unique<MemorySource>(found->second);
}

namespace {

std::int64_t EndOf(std::FILE* file) {
  if (!SeekLarge(file, 0, SEEK_END)) return -1;
  return TellLarge(file);
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// C stdio rather than iostreams: it keeps the locale machinery out of the
// shipped library.
// The bytes [base, base + size) of the file.
class FileSource final : public ByteSource {
 public:
  FileSource(FileHandle file, std::uint64_t base, std::uint64_t size)
      : file_(std::move(file)), base_(base), size_(size) {}

  std::size_t Read(std::uint8_t* dst, std::size_t max) override {
    const std::size_t want =
        static_cast<std::size_t>(std::min<std::uint64_t>(max, size_ - position_));
    if (want == 0) return 0;
    const std::size_t got = std::fread(dst, 1, want, file_.get());
    position_ += got;
    if (got != want) std::clearerr(file_.get());
    return got;
  }

  bool Seek(std::uint64_t offset) override {
    if (offset > size_ || !SeekLarge(file_.get(), base_ + offset, SEEK_SET)) return false;
    position_ = offset;
    return true;
  }

  std::uint64_t Position() const override { return position_; }
  std::uint64_t Size() const override { return size_; }

 private:
  FileHandle file_;
  std::uint64_t base_;
  std::uint64_t size_;
  std::uint64_t position_ = 0;
};

}  // namespace

namespace {

std::unique_ptr<ByteSource> OpenRange(const std::string& path, std::uint64_t offset,
                                      std::optional<std::uint64_t> length) {
  FileHandle file(std::fopen(path.c_str(), "rb"));
  if (!file) return nullptr;
  const std::int64_t end = EndOf(file.get());
  if (end < 0) return nullptr;
  const auto size = static_cast<std::uint64_t>(end);
  if (offset > size || (length && *length > size - offset)) return nullptr;
  if (!SeekLarge(file.get(), offset, SEEK_SET)) return nullptr;
  return std::make_unique<FileSource>(std::move(file), offset, length.value_or(size - offset));
}

}  // namespace

std::unique_ptr<ByteSource> FileVolumeOpener::Open(const std::string& path) {
  return OpenRange(path, 0, std::nullopt);
}

std::unique_ptr<ByteSource> FileRangeOpener::Open(const std::string& path) {
  if (path != path_) return nullptr;
  return OpenRange(path, offset_, length_);
}

}  // namespace pelmora::unace::io
