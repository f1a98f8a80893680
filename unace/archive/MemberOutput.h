// Where a member's decoded bytes go: counted and checksummed always, then
// discarded (skipping in a solid archive, testing) or written to a file with
// progress reports that may ask to stop.
#pragma once

#include <cstdint>
#include <functional>

#include "unace/decode/Decoder.h"
#include "unace/format/Crc.h"
#include "unace/fs/FileSystem.h"

namespace pelmora::unace::archive {

// Answer false to abort the entry.
using ProgressCallback = std::function<bool(const std::uint8_t* block, std::size_t size)>;

enum class OutputStop { None, Overflow, WriteFailed, Aborted };

class CheckedOutput : public decode::Output {
 public:
  explicit CheckedOutput(std::uint64_t expectedSize) : expected_(expectedSize) {}

  bool Write(const std::uint8_t* data, std::size_t n) final;

  std::uint64_t Produced() const { return produced_; }
  std::uint32_t Crc() const { return crc_.Value(); }
  OutputStop Stop() const { return stop_; }

 protected:
  // Takes the checked bytes; false stops the decoding (and sets the reason).
  virtual bool Deliver(const std::uint8_t*, std::size_t) { return true; }
  void SetStop(OutputStop stop) { stop_ = stop; }

 private:
  std::uint64_t expected_;
  std::uint64_t produced_ = 0;
  format::AceCrc32 crc_;
  OutputStop stop_ = OutputStop::None;
};

class FileOutput final : public CheckedOutput {
 public:
  FileOutput(std::uint64_t expectedSize, fs::FileSink& sink, const ProgressCallback& progress)
      : CheckedOutput(expectedSize), sink_(sink), progress_(progress) {}

 private:
  bool Deliver(const std::uint8_t* data, std::size_t n) override;

  fs::FileSink& sink_;
  const ProgressCallback& progress_;
};

}  // namespace pelmora::unace::archive
