// Turns a member's bytes into what follows its FILE header: compressed (or
// stored when compression does not pay), then encrypted when a password is
// set. Keeps the compressor's window across members of a solid archive.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "acewriter/ArchiveOptions.h"
#include "acewriter/encode/Encoder.h"
#include "unace/crypto/AceCipher.h"

namespace acewriter {

struct PackedMember {
  // What follows the header: `storage`, or for a member stored as it is the
  // caller's original bytes (no copy of a possibly large file).
  std::span<const std::uint8_t> data() const { return storedAsIs ? original : storage; }

  std::vector<std::uint8_t> storage;
  std::span<const std::uint8_t> original;
  bool storedAsIs = false;
  std::uint32_t crc32 = 0xFFFFFFFFu;  // of the original bytes
  std::uint8_t compressionType = 0;
  bool encrypted = false;
};

class MemberPacker {
 public:
  explicit MemberPacker(const ArchiveOptions& options);

  // The result may refer to `original`, which must outlive it.
  PackedMember pack(std::span<const std::uint8_t> original);

  // What the FILE headers of this archive carry besides the member's own data.
  std::uint8_t quality() const;
  std::uint16_t params() const;
  // COMP_TYPE that folder entries carry: the archive's method.
  std::uint8_t archiveCompressionType() const;
  bool needsVersion20() const { return options_.method == PackMethod::Ace20; }

 private:
  void encrypt(std::vector<std::uint8_t>& data);

  ArchiveOptions options_;
  std::optional<encode::Encoder> encoder_;
  std::optional<unace::crypto::AceCipher> cipher_;
};

}  // namespace acewriter
