// One archive file being written. The path is taken as the platform's narrow
// file name (ANSI on Windows, bytes on Unix), exactly as the user typed it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>

namespace pelmora::acewriter {

class OutputFile {
 public:
  // Creates or truncates the file; throws std::runtime_error naming it.
  explicit OutputFile(std::string path);
  OutputFile(OutputFile&&) noexcept = default;
  OutputFile& operator=(OutputFile&&) noexcept = default;

  void Write(std::span<const std::uint8_t> bytes);
  // Replaces bytes already written (a header whose fields changed after
  // its data went out); the next write still appends.
  void Overwrite(std::uint64_t offset, std::span<const std::uint8_t> bytes);
  // Flushes and closes; throws when the data did not reach the disk.
  void Close();

  std::uint64_t Size() const { return size_; }
  const std::string& Path() const { return path_; }

 private:
  struct Closer {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };
  [[noreturn]] void Fail(const char* what) const;

  std::string path_;
  std::unique_ptr<std::FILE, Closer> file_;
  std::uint64_t size_ = 0;
};

bool FileExists(const std::string& path);

}  // namespace pelmora::acewriter
