// One archive opened through the extraction library's five exports, the
// same way the installer drives it: open, then per entry read the header and
// skip, test or extract it, then close.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "unace/UnAceApi.h"
#include "unace/format/Flags.h"

namespace pelmora::acetool {

struct EntryInfo {
  std::string name;  // as stored: Windows-1252, '\' separated
  std::uint32_t flags = 0;
  std::uint32_t packedSize = 0;
  std::uint32_t originalSize = 0;
  std::uint32_t crc32 = 0;
  std::uint32_t dosTime = 0;
  std::uint32_t method = 0;
  std::uint32_t attributes = 0;
  bool Encrypted() const { return (flags & ACE_FLAG_PASSWORD) != 0; }
  bool IsFolder() const { return (attributes & unace::format::kAttributeDirectory) != 0; }
};

class LibraryArchive {
 public:
  // Opens the archive (ACE_OPEN_LIST or ACE_OPEN_EXTRACT); check OpenCode().
  LibraryArchive(const std::string& path, int openMode);
  ~LibraryArchive();
  LibraryArchive(const LibraryArchive&) = delete;
  LibraryArchive& operator=(const LibraryArchive&) = delete;

  int OpenCode() const { return openCode_; }

  void SetPassword(const std::string& password);

  // ACE_OK with `entry` filled, ACE_END_OF_ARCHIVE, or an error code.
  int Next(EntryInfo& entry);
  // ACE_SKIP, ACE_TEST or ACE_EXTRACT to `target`.
  int Process(int operation, const std::string& target);

  // Told the size of each block of data the library decodes (testing or
  // extracting), as it goes.
  void OnData(std::function<void(std::size_t bytes)> onData) { onData_ = std::move(onData); }

  // The volumes the library asked for and did not get, in order: the library
  // is told to look once more, then to give up.
  const std::vector<std::string>& MissingVolumes() const { return missingVolumes_; }

 private:
  static int VolumeCallback(char* name, int mode);
  static int UNACE_CALL DataCallback(unsigned char* block, int count);
  int OnVolume(const std::string& name, int mode);

  ACEHandle handle_ = 0;
  int openCode_ = ACE_OK;
  std::string lastAskedVolume_;
  std::vector<std::string> missingVolumes_;
  std::function<void(std::size_t)> onData_;
};

}  // namespace pelmora::acetool
