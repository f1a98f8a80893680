#include "acewriter/AceHeaders.h"

#include <stdexcept>
#include <string_view>

#include "unace/format/Crc.h"
#include "unace/format/Headers.h"

namespace pelmora::acewriter {
namespace {

// Debian's unace rejects FILE headers that end right after the name (it
// wants HEAD_SIZE >= 35 + name length); every reader ignores these bytes.
constexpr std::size_t kFileHeaderPadding = 4;
constexpr std::size_t kFileFixedBody = 31;                     // HEAD_TYPE .. FNAME_SIZE
constexpr std::size_t kEnvelope = format::kHeaderPrefixBytes;  // HEAD_CRC, HEAD_SIZE

class HeaderBuilder {
 public:
  explicit HeaderBuilder(std::size_t expectedSize) {
    bytes_.reserve(expectedSize);
    bytes_.resize(kEnvelope);
  }
  void U8(std::uint8_t v) { bytes_.push_back(v); }
  void U16(std::uint16_t v) {
    U8(static_cast<std::uint8_t>(v));
    U8(static_cast<std::uint8_t>(v >> 8));
  }
  void U32(std::uint32_t v) {
    U16(static_cast<std::uint16_t>(v));
    U16(static_cast<std::uint16_t>(v >> 16));
  }
  void Text(std::string_view s) { bytes_.insert(bytes_.end(), s.begin(), s.end()); }

  // Fills in HEAD_SIZE and HEAD_CRC, which cover everything after them.
  std::vector<std::uint8_t> Finish() {
    const std::size_t bodySize = bytes_.size() - kEnvelope;
    bytes_[2] = static_cast<std::uint8_t>(bodySize);
    bytes_[3] = static_cast<std::uint8_t>(bodySize >> 8);
    const std::uint16_t crc =
        unace::format::HeaderCrc16(std::span<const std::uint8_t>(bytes_).subspan(kEnvelope));
    bytes_[0] = static_cast<std::uint8_t>(crc);
    bytes_[1] = static_cast<std::uint8_t>(crc >> 8);
    return std::move(bytes_);
  }

 private:
  std::vector<std::uint8_t> bytes_;
};

}  // namespace

std::vector<std::uint8_t> SerializeMainHeader(const MainHeader& header) {
  HeaderBuilder b(31);
  b.U8(format::kBlockMain);
  b.U16(header.flags);
  b.Text(std::string_view(format::kAceSignature, format::kAceSignatureBytes));
  b.U8(header.versionToExtract);
  b.U8(header.versionCreated);
  b.U8(header.host);
  b.U8(header.volumeNumber);
  b.U32(header.creationTime);
  for (int i = 0; i < 8; ++i) b.U8(0);  // reserved
  // AV_SIZE is written although no advert follows: Debian's unace does not
  // recognise a MAIN header without this byte.
  b.U8(0);
  return b.Finish();
}

std::size_t FileHeaderSize(std::size_t nameLength) {
  return kEnvelope + kFileFixedBody + nameLength + kFileHeaderPadding;
}

std::vector<std::uint8_t> SerializeFileHeader(const FileHeader& header) {
  if (header.name.size() > kMaxHeaderNameLength)
    throw std::length_error("member name too long for an ACE header (" +
                            std::to_string(header.name.size()) + " bytes)");
  HeaderBuilder b(FileHeaderSize(header.name.size()));
  b.U8(format::kBlockFile32);
  b.U16(header.flags | format::flags::kAddSize);
  b.U32(header.packedSize);
  b.U32(header.originalSize);
  b.U32(header.dosTime);
  b.U32(header.attributes);
  b.U32(header.crc32);
  b.U8(header.compressionType);
  b.U8(header.quality);
  b.U16(header.params);
  b.U16(0);  // reserved
  b.U16(static_cast<std::uint16_t>(header.name.size()));
  b.Text(header.name);
  for (std::size_t i = 0; i < kFileHeaderPadding; ++i) b.U8(0);
  return b.Finish();
}

}  // namespace pelmora::acewriter
