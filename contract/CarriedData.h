// A setup program that carries its medium inside itself: the description
// and a one-volume archive appended after the program's image, closed by a
// trailer of ours. The packer writes it, the setup reads it in place.
//
//   [program image][0..7 zero bytes][description][archive][trailer][signature]
//
// The trailer (kCarriedTrailerBytes, little-endian): the magic, the
// description's length, the archive's length, then the SHA-256 of
// everything from the description's first byte up to the digest itself
// (so the lengths are covered too). A code signature is appended after the
// trailer and its hash covers all of it; where the file is signed, the
// carried data therefore ends where the PE certificate table begins. The
// packer pads in front of the description so that the carried data ends on
// an 8-byte boundary: a signing tool then adds no padding of its own
// between the trailer and the certificate table.
//
// Every number here comes from a file anybody may have changed: each is
// checked against the others and against the file before it is used.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <variant>

#include "contract/Sha256.h"

namespace pelmora::contract {

inline constexpr std::size_t kCarriedTrailerBytes = 56;
inline constexpr std::size_t kCarriedDigestOffset = 24;  // inside the trailer
inline constexpr char kCarriedMagic[8] = {'P', 'e', 'l', 'm', 'o', 'r', 'a', '1'};
// Headers a setup reads to find its image's end: the DOS and PE headers
// and the section table of any program this tree builds lie within it.
inline constexpr std::size_t kPeHeaderBytes = 4096;

// The bytes after a program's image: from the end of its last section to
// the start of its certificate table, or to the file's end when unsigned.
struct Overlay {
  std::uint64_t begin = 0;
  std::uint64_t end = 0;
  bool signedFile = false;
  std::uint64_t Size() const { return end - begin; }
};

// Nothing when `headers` (the file's first bytes) are no PE image whose
// section table lies within them, or when the certificate table does not
// lie at the image's end or after it, inside the file of `fileSize` bytes.
std::optional<Overlay> FindOverlay(std::span<const std::uint8_t> headers, std::uint64_t fileSize);

struct CarriedLayout {
  std::uint64_t descriptionOffset = 0;  // from the file's start
  std::uint64_t descriptionLength = 0;
  std::uint64_t archiveOffset = 0;
  std::uint64_t archiveLength = 0;
  std::uint64_t digestOffset = 0;  // the digest covers [descriptionOffset, digestOffset)
  Sha256::Digest digest{};
};

// What the bytes after the image hold.
enum class NoCarriedData {
  Absent,  // none, or a signing tool's alignment padding: a program of a folder medium
  Damaged  // something, but no sound trailer: a cut or damaged one-file setup
};

// How many bytes the trailer is read from: the last ones of the overlay.
std::size_t CarriedTailBytes(const Overlay& overlay);

// Reads the trailer from `tail`, the overlay's last CarriedTailBytes bytes.
// A description longer than `maxDescriptionBytes` is damage.
std::variant<CarriedLayout, NoCarriedData> ReadCarriedTrailer(const Overlay& overlay,
                                                              std::span<const std::uint8_t> tail,
                                                              std::uint64_t maxDescriptionBytes);

// The packer's side: zero bytes to put after an image of `imageSize` bytes
// so that the carried data ends on an 8-byte boundary, and the trailer.
std::size_t CarriedPadding(std::uint64_t imageSize, std::uint64_t descriptionLength,
                           std::uint64_t archiveLength);
// `digest` is the SHA-256 of description, archive and the trailer's first
// kCarriedDigestOffset bytes (CarriedTrailerHead).
std::string CarriedTrailerHead(std::uint64_t descriptionLength, std::uint64_t archiveLength);
std::string CarriedTrailer(std::uint64_t descriptionLength, std::uint64_t archiveLength,
                           const Sha256::Digest& digest);

}  // namespace pelmora::contract
