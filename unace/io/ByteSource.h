// Random-access reading of one archive volume, from a file or from memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace pelmora::unace::io {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Reads up to `max` bytes at the current position; fewer only at the end
  // or on a read error.
  virtual std::size_t Read(std::uint8_t* dst, std::size_t max) = 0;
  // Moves to `offset` (which may be at most size()); false when impossible.
  virtual bool Seek(std::uint64_t offset) = 0;
  virtual std::uint64_t Position() const = 0;
  virtual std::uint64_t Size() const = 0;

  std::uint64_t Remaining() const { return Size() - Position(); }
};

// Finds and opens the volumes of an archive by name.
class VolumeOpener {
 public:
  virtual ~VolumeOpener() = default;
  // Null when no such volume exists (or it cannot be read).
  virtual std::unique_ptr<ByteSource> Open(const std::string& path) = 0;
};

class MemorySource final : public ByteSource {
 public:
  explicit MemorySource(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
  std::size_t Read(std::uint8_t* dst, std::size_t max) override;
  bool Seek(std::uint64_t offset) override;
  std::uint64_t Position() const override { return position_; }
  std::uint64_t Size() const override { return bytes_.size(); }

 private:
  std::vector<std::uint8_t> bytes_;
  std::size_t position_ = 0;
};

// Volumes held in memory under their names (tests, fuzzing).
class MemoryVolumeOpener final : public VolumeOpener {
 public:
  void Add(const std::string& path, std::vector<std::uint8_t> bytes) {
    volumes_[path] = std::move(bytes);
  }
  std::unique_ptr<ByteSource> Open(const std::string& path) override;

 private:
  std::map<std::string, std::vector<std::uint8_t>> volumes_;
};

// Volumes read from disk; paths are passed to the C runtime unchanged (ANSI
// code page on Windows).
class FileVolumeOpener final : public VolumeOpener {
 public:
  std::unique_ptr<ByteSource> Open(const std::string& path) override;
};

// The one volume that is `length` bytes at `offset` of the file `path`:
// positions count from `offset`, and the source ends after `length` bytes.
// Any other name opens nothing, so no further volume is ever looked for; a
// range that does not lie inside the file opens nothing either.
class FileRangeOpener final : public VolumeOpener {
 public:
  FileRangeOpener(std::string path, std::uint64_t offset, std::uint64_t length)
      : path_(std::move(path)), offset_(offset), length_(length) {}
  std::unique_ptr<ByteSource> Open(const std::string& path) override;

 private:
  std::string path_;
  std::uint64_t offset_;
  std::uint64_t length_;
};

}  // namespace pelmora::unace::io
