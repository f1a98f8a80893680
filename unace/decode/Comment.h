// Archive and member comments: a small LZP scheme over the same bit reader
// and Huffman tables as the LZ77 stream, stored inside a header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "unace/decode/Decoder.h"

namespace pelmora::unace::decode {

// Decodes the COMMENT bytes of a header into `text` (raw bytes in the
// archive's OEM code page). On failure `text` is empty and `error` says why.
Status DecodeComment(const std::uint8_t* data, std::size_t size, std::string& text,
                     std::string& error);

}  // namespace pelmora::unace::decode
