// The packed bytes of one member as the volume writer consumes them: from
// memory, or from a file when the member is too large to hold.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <span>

namespace pelmora::acewriter {

class PackedSource {
 public:
  virtual ~PackedSource() = default;
  virtual std::uint64_t Size() const = 0;
  // Copies exactly `out.size()` next bytes; throws std::runtime_error when
  // the bytes cannot be had.
  virtual void Read(std::span<std::uint8_t> out) = 0;
};

class MemorySource : public PackedSource {
 public:
  explicit MemorySource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  std::uint64_t Size() const override { return bytes_.size(); }
  void Read(std::span<std::uint8_t> out) override;

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t position_ = 0;
};

class FileSource : public PackedSource {
 public:
  // `size` bytes from the start of the file; it must not shrink meanwhile.
  FileSource(const std::filesystem::path& path, std::uint64_t size);
  std::uint64_t Size() const override { return size_; }
  void Read(std::span<std::uint8_t> out) override;

 private:
  std::filesystem::path path_;
  std::ifstream in_;
  std::uint64_t size_;
};

}  // namespace pelmora::acewriter
