#include "contract/CarriedData.h"

#include <algorithm>
#include <cstring>

namespace pelmora::contract {

namespace {

constexpr std::uint32_t kCertificateDirectoryIndex = 4;
constexpr std::size_t kLengthsOffset = sizeof kCarriedMagic;

// Little-endian reads that say no instead of reading past the bytes.
class Bytes {
 public:
  explicit Bytes(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  bool Has(std::uint64_t at, std::uint64_t count) const {
    return at <= bytes_.size() && count <= bytes_.size() - at;
  }
  std::uint64_t Le(std::uint64_t at, int count) const {
    std::uint64_t value = 0;
    for (int i = count - 1; i >= 0; --i) value = value << 8 | bytes_[at + i];
    return value;
  }

 private:
  std::span<const std::uint8_t> bytes_;
};

void PutLe64(std::string& out, std::uint64_t value) {
  for (int i = 0; i < 8; ++i) out.push_back(static_cast<char>(value >> (8 * i) & 0xFF));
}

}  // namespace

std::optional<Overlay> FindOverlay(std::span<const std::uint8_t> headers, std::uint64_t fileSize) {
  const Bytes b(headers);
  if (!b.Has(0, 64) || b.Le(0, 2) != 0x5A4D) return std::nullopt;
  const std::uint64_t pe = b.Le(0x3C, 4);
  if (!b.Has(pe, 24) || b.Le(pe, 4) != 0x00004550u) return std::nullopt;
  const std::uint64_t sectionCount = b.Le(pe + 6, 2);
  const std::uint64_t optionalSize = b.Le(pe + 20, 2);
  const std::uint64_t optional = pe + 24;
  if (!b.Has(optional, 2)) return std::nullopt;
  const std::uint64_t magic = b.Le(optional, 2);
  const std::uint64_t directories = optional + (magic == 0x20B ? 112 : 96);
  if (magic != 0x10B && magic != 0x20B) return std::nullopt;
  if (!b.Has(optional, 64) || !b.Has(directories - 4, 4)) return std::nullopt;
  // The headers count as part of the image even where no section follows.
  std::uint64_t imageEnd = b.Le(optional + 60, 4);
  const std::uint64_t table = optional + optionalSize;
  if (!b.Has(table, 40 * sectionCount)) return std::nullopt;
  for (std::uint64_t i = 0; i < sectionCount; ++i) {
    const std::uint64_t rawSize = b.Le(table + 40 * i + 16, 4);
    const std::uint64_t rawOffset = b.Le(table + 40 * i + 20, 4);
    if (rawSize != 0) imageEnd = std::max(imageEnd, rawOffset + rawSize);
  }
  if (imageEnd > fileSize) return std::nullopt;
  Overlay overlay{imageEnd, fileSize, false};
  if (b.Le(directories - 4, 4) <= kCertificateDirectoryIndex) return overlay;
  const std::uint64_t entry = directories + 8 * kCertificateDirectoryIndex;
  if (!b.Has(entry, 8)) return std::nullopt;
  const std::uint64_t certificates = b.Le(entry, 4);
  const std::uint64_t certificateSize = b.Le(entry + 4, 4);
  if (certificates == 0 && certificateSize == 0) return overlay;
  // The table is the file's last part: anything after it would be covered
  // by no signature, and a table reaching past the end means a cut file.
  if (certificates < imageEnd || certificates > fileSize ||
      certificateSize != fileSize - certificates)
    return std::nullopt;
  overlay.end = certificates;
  overlay.signedFile = true;
  return overlay;
}

std::size_t CarriedTailBytes(const Overlay& overlay) {
  return static_cast<std::size_t>(std::min<std::uint64_t>(overlay.Size(), kCarriedTrailerBytes));
}

std::variant<CarriedLayout, NoCarriedData> ReadCarriedTrailer(const Overlay& overlay,
                                                              std::span<const std::uint8_t> tail,
                                                              std::uint64_t maxDescriptionBytes) {
  // Signing tools align the certificate table to 8 bytes with zeros; so
  // few bytes after the image hold no carried data.
  if (overlay.Size() < sizeof kCarriedMagic &&
      std::all_of(tail.begin(), tail.end(), [](std::uint8_t c) { return c == 0; }))
    return NoCarriedData::Absent;
  if (overlay.Size() < kCarriedTrailerBytes || tail.size() != kCarriedTrailerBytes ||
      std::memcmp(tail.data(), kCarriedMagic, sizeof kCarriedMagic) != 0)
    return NoCarriedData::Damaged;
  const Bytes b(tail);
  CarriedLayout layout;
  layout.descriptionLength = b.Le(kLengthsOffset, 8);
  layout.archiveLength = b.Le(kLengthsOffset + 8, 8);
  std::memcpy(layout.digest.data(), tail.data() + kCarriedDigestOffset, layout.digest.size());
  // Step by step, so that no sum of hostile lengths can wrap around.
  const std::uint64_t trailer = overlay.end - kCarriedTrailerBytes;
  const std::uint64_t room = trailer - overlay.begin;
  if (layout.descriptionLength == 0 || layout.descriptionLength > maxDescriptionBytes ||
      layout.archiveLength == 0 || layout.archiveLength > room ||
      layout.descriptionLength > room - layout.archiveLength)
    return NoCarriedData::Damaged;
  layout.archiveOffset = trailer - layout.archiveLength;
  layout.descriptionOffset = layout.archiveOffset - layout.descriptionLength;
  // Between image and description lies only the packer's alignment.
  if (layout.descriptionOffset - overlay.begin >= 8) return NoCarriedData::Damaged;
  layout.digestOffset = trailer + kCarriedDigestOffset;
  return layout;
}

std::size_t CarriedPadding(std::uint64_t imageSize, std::uint64_t descriptionLength,
                           std::uint64_t archiveLength) {
  const std::uint64_t end = imageSize + descriptionLength + archiveLength + kCarriedTrailerBytes;
  return static_cast<std::size_t>((8 - end % 8) % 8);
}

std::string CarriedTrailerHead(std::uint64_t descriptionLength, std::uint64_t archiveLength) {
  std::string head(kCarriedMagic, sizeof kCarriedMagic);
  PutLe64(head, descriptionLength);
  PutLe64(head, archiveLength);
  return head;
}

std::string CarriedTrailer(std::uint64_t descriptionLength, std::uint64_t archiveLength,
                           const Sha256::Digest& digest) {
  std::string trailer = CarriedTrailerHead(descriptionLength, archiveLength);
  trailer.append(reinterpret_cast<const char*>(digest.data()), digest.size());
  return trailer;
}

}  // namespace pelmora::contract
