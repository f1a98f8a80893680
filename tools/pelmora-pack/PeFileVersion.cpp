#include "tools/pelmora-pack/PeFileVersion.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "winrules/VersionText.h"

namespace pelmora::pack {

namespace {

constexpr std::uint32_t kResourceDirectoryIndex = 2;
constexpr std::uint32_t kVersionResourceType = 16;  // RT_VERSION
constexpr std::uint32_t kFixedFileInfoSignature = 0xFEEF04BDu;
constexpr std::uint32_t kSubdirectoryFlag = 0x80000000u;
// Resource trees are three levels deep (type, name, language); a deeper
// chain of subdirectories is a damaged or hostile file.
constexpr int kResourceLevels = 3;

class ImageReader {
 public:
  explicit ImageReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  std::uint16_t U16(std::size_t at, const char* what) const {
    Need(at, 2, what);
    return static_cast<std::uint16_t>(bytes_[at] | bytes_[at + 1] << 8);
  }
  std::uint32_t U32(std::size_t at, const char* what) const {
    Need(at, 4, what);
    return static_cast<std::uint32_t>(bytes_[at]) |
           static_cast<std::uint32_t>(bytes_[at + 1]) << 8 |
           static_cast<std::uint32_t>(bytes_[at + 2]) << 16 |
           static_cast<std::uint32_t>(bytes_[at + 3]) << 24;
  }
  void Need(std::size_t at, std::size_t count, const char* what) const {
    if (at > bytes_.size() || count > bytes_.size() - at)
      throw PeFormatError(std::string("the file ends inside its ") + what);
  }

 private:
  std::span<const std::uint8_t> bytes_;
};

struct Section {
  std::uint32_t virtualAddress, virtualSize, rawOffset, rawSize;
};

class PeImage {
 public:
  explicit PeImage(std::span<const std::uint8_t> bytes) : r_(bytes) {
    if (r_.U16(0, "DOS header") != 0x5A4D) throw PeFormatError("no MZ signature: not a program");
    const std::size_t pe = r_.U32(0x3C, "DOS header");
    if (r_.U32(pe, "PE header") != 0x00004550u) throw PeFormatError("no PE signature");
    const std::size_t fileHeader = pe + 4;
    const std::uint16_t sectionCount = r_.U16(fileHeader + 2, "PE header");
    const std::uint16_t optionalSize = r_.U16(fileHeader + 16, "PE header");
    const std::size_t optional = fileHeader + 20;
    const std::uint16_t magic = r_.U16(optional, "optional header");
    std::size_t directories;
    if (magic == 0x10B)
      directories = optional + 96;  // PE32
    else if (magic == 0x20B)
      directories = optional + 112;  // PE32+
    else
      throw PeFormatError("unknown optional header kind");
    const std::uint32_t directoryCount = r_.U32(directories - 4, "optional header");
    if (directoryCount > kResourceDirectoryIndex) {
      resourceRva_ = r_.U32(directories + 8 * kResourceDirectoryIndex, "data directories");
      resourceSize_ = r_.U32(directories + 8 * kResourceDirectoryIndex + 4, "data directories");
    }
    const std::size_t table = optional + optionalSize;
    for (std::size_t i = 0; i < sectionCount; ++i) {
      const std::size_t s = table + 40 * i;
      sections_.push_back({r_.U32(s + 12, "section table"), r_.U32(s + 8, "section table"),
                           r_.U32(s + 20, "section table"), r_.U32(s + 16, "section table")});
    }
  }

  std::uint32_t ResourceRva() const { return resourceRva_; }
  std::uint32_t ResourceSize() const { return resourceSize_; }
  const ImageReader& Reader() const { return r_; }

  // The file offset of `count` bytes at `rva`, all inside one section's data.
  std::size_t Offset(std::uint32_t rva, std::uint32_t count, const char* what) const {
    for (const Section& s : sections_) {
      const std::uint32_t extent = std::max(s.virtualSize, s.rawSize);
      if (rva < s.virtualAddress || rva - s.virtualAddress >= extent) continue;
      const std::uint32_t into = rva - s.virtualAddress;
      if (into > s.rawSize || count > s.rawSize - into)
        throw PeFormatError(std::string("the ") + what + " lies outside the file's section data");
      const std::size_t at = std::size_t{s.rawOffset} + into;
      r_.Need(at, count, what);
      return at;
    }
    throw PeFormatError(std::string("the ") + what + " lies in no section");
  }

 private:
  ImageReader r_;
  std::uint32_t resourceRva_ = 0;
  std::uint32_t resourceSize_ = 0;
  std::vector<Section> sections_;
};

// The first entry of a resource directory, or, at the top level, the entry
// for the version type. Returns its offset word (relative to the resource
// section) or nothing when the directory has no such entry.
std::optional<std::uint32_t> DirectoryEntry(const PeImage& image, std::uint32_t directoryRva,
                                            std::optional<std::uint32_t> wantedId) {
  const ImageReader& r = image.Reader();
  const std::size_t dir = image.Offset(directoryRva, 16, "resource directory");
  const std::uint32_t named = r.U16(dir + 12, "resource directory");
  const std::uint32_t numbered = r.U16(dir + 14, "resource directory");
  const std::uint32_t count = named + numbered;
  const std::size_t entries = image.Offset(directoryRva + 16, count * 8, "resource directory");
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint32_t id = r.U32(entries + 8 * i, "resource directory");
    const std::uint32_t target = r.U32(entries + 8 * i + 4, "resource directory");
    if (!wantedId || (i >= named && id == *wantedId)) return target;
  }
  return std::nullopt;
}

std::string FixedVersion(const PeImage& image, std::size_t at, std::uint32_t size) {
  const ImageReader& r = image.Reader();
  // VS_VERSIONINFO: wLength, wValueLength, wType, the key "VS_VERSION_INFO"
  // in UTF-16 with its terminator, padding to 32 bits, then the fixed info.
  std::size_t key = at + 6;
  while (r.U16(key, "version resource") != 0) {
    key += 2;
    if (key >= at + size) throw PeFormatError("the version resource's key is not terminated");
  }
  const std::size_t fixed = (key + 2 - at + 3) / 4 * 4 + at;
  if (fixed + 52 > at + size) throw PeFormatError("the version resource has no fixed file info");
  if (r.U32(fixed, "version resource") != kFixedFileInfoSignature)
    throw PeFormatError("the version resource's fixed file info has a wrong signature");
  return winrules::FormatFileVersion(r.U32(fixed + 8, "version resource"),
                                     r.U32(fixed + 12, "version resource"));
}

}  // namespace

std::string ReadPeFileVersion(std::span<const std::uint8_t> image) {
  const PeImage pe(image);
  if (pe.ResourceRva() == 0 || pe.ResourceSize() == 0)
    throw PeFormatError("the program has no resources, so no version resource");
  std::uint32_t rva = pe.ResourceRva();
  std::optional<std::uint32_t> wanted = kVersionResourceType;
  for (int level = 0; level < kResourceLevels; ++level) {
    const std::optional<std::uint32_t> entry = DirectoryEntry(pe, rva, wanted);
    if (!entry) throw PeFormatError("the program has no version resource");
    const bool last = level == kResourceLevels - 1;
    if (last == ((*entry & kSubdirectoryFlag) != 0))
      throw PeFormatError("the resource tree is damaged");
    rva = pe.ResourceRva() + (*entry & ~kSubdirectoryFlag);
    wanted.reset();
  }
  // A data entry: the data's RVA and size.
  const std::size_t dataEntry = pe.Offset(rva, 16, "resource data entry");
  const std::uint32_t dataRva = pe.Reader().U32(dataEntry, "resource data entry");
  const std::uint32_t dataSize = pe.Reader().U32(dataEntry + 4, "resource data entry");
  return FixedVersion(pe, pe.Offset(dataRva, dataSize, "version resource"), dataSize);
}

}  // namespace pelmora::pack
