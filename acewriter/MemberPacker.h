// Turns a member's bytes into what follows its FILE header: compressed (or
// stored when compression does not pay), then encrypted when a password is
// set. Keeps the compressor's window across members of a solid archive.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <optional>
#include <span>
#include <vector>

#include "acewriter/ArchiveOptions.h"
#include "acewriter/PackedSource.h"
#include "acewriter/WorkFile.h"
#include "acewriter/encode/Encoder.h"
#include "unace/crypto/AceCipher.h"
#include "unace/format/Flags.h"

namespace pelmora::acewriter {

struct PackedMember {
  // What follows the header: `storage`, or for a member stored as it is the
  // caller's original bytes (no copy of a possibly large file).
  std::span<const std::uint8_t> Data() const { return storedAsIs ? original : storage; }

  std::vector<std::uint8_t> storage;
  std::span<const std::uint8_t> original;
  bool storedAsIs = false;
  std::uint32_t crc32 = 0xFFFFFFFFu;  // of the original bytes
  std::uint8_t compressionType = unace::format::kStored;
  bool encrypted = false;
};

// A member packed through a work file. `source` delivers what follows the
// header: the work file, or the original file for a member stored as it is.
struct StreamedMember {
  std::uint64_t originalSize = 0;
  std::uint32_t crc32 = 0xFFFFFFFFu;
  std::uint8_t compressionType = unace::format::kStored;
  bool encrypted = false;
  WorkFile work;  // declared before `source`: closed after it, then removed
  std::unique_ptr<PackedSource> source;
};

class MemberPacker {
 public:
  explicit MemberPacker(const ArchiveOptions& options);

  // The result may refer to `original`, which must outlive it.
  PackedMember Pack(std::span<const std::uint8_t> original);

  // Whether PackFile can pack a file (the Ace20 method's forced picture and
  // sound modes code from memory only).
  bool PacksInPieces() const;

  // Packs the file at `path`, of `size` bytes, without holding it in
  // memory, using `workPath` for the packed bytes. The Ace20 method throws
  // std::runtime_error when the file's size changes meanwhile. `onRead`
  // (may be empty) is told of each piece as it is read the first time.
  StreamedMember PackFile(const std::filesystem::path& path, std::uint64_t size,
                          const std::string& workPath,
                          const std::function<void(std::uint64_t)>& onRead = {});

  // What the FILE headers of this archive carry besides the member's own data.
  std::uint8_t Quality() const;
  std::uint16_t Params() const;
  // COMP_TYPE that folder entries carry: the archive's method.
  std::uint8_t ArchiveCompressionType() const;
  bool NeedsVersion20() const { return options_.method == PackMethod::Ace20; }

 private:
  void Encrypt(std::vector<std::uint8_t>& data);

  ArchiveOptions options_;
  std::optional<encode::Encoder> encoder_;
  std::optional<unace::crypto::AceCipher> cipher_;
};

}  // namespace pelmora::acewriter
