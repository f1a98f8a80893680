#include "acewriter/ArchiveWriter.h"

#include <limits>

#include "acewriter/InputFile.h"
#include "unace/format/EntryName.h"
#include <stdexcept>

namespace pelmora::acewriter {
namespace {

const ArchiveOptions& Checked(const ArchiveOptions& options) {
  if (options.dictionaryBits < 10 || options.dictionaryBits > 22)
    throw std::invalid_argument("dictionary bits must be 10..22, not " +
                                std::to_string(options.dictionaryBits));
  if (options.level < 1 || options.level > 5)
    throw std::invalid_argument("level must be 1..5, not " + std::to_string(options.level));
  return options;
}

MainHeader MainHeaderFor(const ArchiveOptions& options) {
  MainHeader main;
  if (options.solid) main.flags |= format::flags::kSolid;
  main.versionToExtract =
      options.method == PackMethod::Ace20 ? format::kVersionAce20 : format::kVersionAce10;
  main.versionCreated = format::kVersionAce20;
  main.creationTime = options.creationTime ? *options.creationTime : CurrentDosDateTime();
  return main;
}

}  // namespace

std::optional<std::string> MemberNameProblem(const std::string& name) {
  if (name.size() > kMaxMemberNameLength)
    return "name longer than " + std::to_string(kMaxMemberNameLength) + " bytes";
  // Members are written with "\" alone, as the installer joins them to its
  // target folder; the rest is the one name rule every program applies.
  if (name.find('/') != std::string::npos) return "'/' in name: folders are separated by \\";
  if (const std::optional<std::string> problem = unace::format::UnsafeNameReason(name))
    return problem;
  if (name.back() == '\\') return "name ends in a separator";
  return std::nullopt;
}

ArchiveWriter::ArchiveWriter(std::string path, const ArchiveOptions& options)
    : options_(Checked(options)),
      workPath_(path + ".tmp"),
      packer_(options_),
      volumes_(std::move(path), MainHeaderFor(options_), options_.volumeSize) {}

FileHeader ArchiveWriter::HeaderFor(const std::string& name, const FileStamp& stamp) const {
  if (const std::optional<std::string> problem = MemberNameProblem(name))
    throw std::invalid_argument("cannot archive \"" + name + "\": " + *problem);
  FileHeader header;
  header.name = name;
  header.dosTime = options_.latestMemberTime && stamp.dosTime > *options_.latestMemberTime
                       ? *options_.latestMemberTime
                       : stamp.dosTime;
  header.quality = packer_.Quality();
  header.params = packer_.Params();
  return header;
}

void ArchiveWriter::AddFolder(const std::string& name, const FileStamp& stamp) {
  FileHeader header = HeaderFor(name, stamp);
  header.attributes = stamp.attributes | format::kAttributeDirectory;
  header.compressionType = packer_.ArchiveCompressionType();
  volumes_.WriteMember(header, {});
}

FileHeader ArchiveWriter::FileHeaderFor(const std::string& name, const FileStamp& stamp,
                                        std::uint64_t size) const {
  FileHeader header = HeaderFor(name, stamp);
  if (size > std::numeric_limits<std::uint32_t>::max())
    throw std::invalid_argument("cannot archive \"" + name +
                                "\": files of 4 GiB and more are not supported");
  header.originalSize = static_cast<std::uint32_t>(size);
  header.attributes = stamp.attributes & ~format::kAttributeDirectory;
  if (options_.solid) header.flags |= format::flags::kSolid;
  return header;
}

void ArchiveWriter::AddFile(const std::string& name, std::span<const std::uint8_t> data,
                            const FileStamp& stamp) {
  FileHeader header = FileHeaderFor(name, stamp, data.size());
  const PackedMember packed = packer_.Pack(data);
  header.crc32 = packed.crc32;
  header.compressionType = packed.compressionType;
  if (packed.encrypted) header.flags |= format::flags::kPassword;
  volumes_.WriteMember(header, packed.Data());
  if (onBytesRead_) onBytesRead_(data.size());
}

std::uint64_t ArchiveWriter::AddFileFromDisk(const std::string& name,
                                             const std::filesystem::path& path,
                                             const FileStamp& stamp) {
  std::error_code ec;
  const std::uint64_t size = std::filesystem::file_size(path, ec);
  FileHeader header = FileHeaderFor(name, stamp, ec ? 0 : size);
  if (ec || size <= options_.largeFileThreshold || !packer_.PacksInPieces()) {
    const std::vector<std::uint8_t> data = ReadWholeFile(path);
    AddFile(name, data, stamp);
    return data.size();
  }
  StreamedMember packed = packer_.PackFile(path, size, workPath_, onBytesRead_);
  // The file may have changed size since it was measured.
  header.originalSize = FileHeaderFor(name, stamp, packed.originalSize).originalSize;
  header.crc32 = packed.crc32;
  header.compressionType = packed.compressionType;
  if (packed.encrypted) header.flags |= format::flags::kPassword;
  volumes_.WriteMember(header, *packed.source);
  return packed.originalSize;
}

VolumeSet::Result ArchiveWriter::Finish() { return volumes_.Finish(); }

}  // namespace pelmora::acewriter
