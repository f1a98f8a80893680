// Archive and member comments: a small LZP scheme over the same bit reader
// and Huffman tables as the LZ77 stream, stored inside a header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>

#include "unace/decode/Decoder.h"

namespace pelmora::unace::decode {

// Why a comment could not be decoded.
struct CommentFailure {
  Status status;  // never Status::Ok
  std::string text;
};

// Decodes the COMMENT bytes of a header into their text (raw bytes in the
// archive's OEM code page).
std::variant<std::string, CommentFailure> DecodeComment(const std::uint8_t* data, std::size_t size);

}  // namespace pelmora::unace::decode
