// Writes one ACE archive (or volume set), member by member, in the order the
// members are added. Only the current member is held in memory.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "acewriter/ArchiveOptions.h"
#include "acewriter/FileStamp.h"
#include "acewriter/MemberPacker.h"
#include "acewriter/VolumeSet.h"

namespace pelmora::acewriter {

class ArchiveWriter {
 public:
  // Creates the first volume at once; throws std::invalid_argument for
  // options out of range and std::runtime_error when the file cannot be made.
  ArchiveWriter(std::string path, const ArchiveOptions& options);

  // `name` is the member's name in Windows-1252 with '\' separators, relative
  // (no drive, no leading separator, no "." or ".." parts); it is checked.
  void AddFolder(const std::string& name, const FileStamp& stamp);
  void AddFile(const std::string& name, std::span<const std::uint8_t> data, const FileStamp& stamp);

  // Adds the file at `path`; large files are packed without being held in
  // memory. Returns the file's size.
  std::uint64_t AddFileFromDisk(const std::string& name, const std::filesystem::path& path,
                                const FileStamp& stamp);

  // Told how many bytes of the members' own data have been read, as they
  // are read: per member, and per piece of a file packed in pieces.
  using ByteCounter = std::function<void(std::uint64_t bytes)>;
  void OnBytesRead(ByteCounter counter) { onBytesRead_ = std::move(counter); }

  VolumeSet::Result Finish();

 private:
  FileHeader HeaderFor(const std::string& name, const FileStamp& stamp) const;
  FileHeader FileHeaderFor(const std::string& name, const FileStamp& stamp,
                           std::uint64_t size) const;

  ArchiveOptions options_;
  std::string workPath_;
  MemberPacker packer_;
  VolumeSet volumes_;
  ByteCounter onBytesRead_;
};

// Why `name` cannot be a member name; nothing when it can.
std::optional<std::string> MemberNameProblem(const std::string& name);

// Longest name the extraction library hands to the installer intact.
inline constexpr std::size_t kMaxMemberNameLength = 259;

}  // namespace pelmora::acewriter
