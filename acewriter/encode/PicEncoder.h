// The ACE 2.0 PIC mode: rows of interleaved pixel planes, each byte
// predicted from its neighbours by a context-selected predictor and the
// error sent as an adaptive Rice code.
#pragma once

#include <cstdint>
#include <span>

#include "acewriter/encode/BitWriter.h"
#include "acewriter/encode/ModeRecord.h"

namespace pelmora::acewriter::encode {

struct PicGeometry {
  std::uint32_t width;   // bytes per row, >= 1
  std::uint32_t planes;  // bytes per pixel, >= 1
  int planeType;         // decoder type for planes >= 1 (0..2), or -1 to choose per row
};

// Sends the picture parameters, then the rows of `bytes`. A partial last
// row is padded, which a reader accepts only at the end of the member.
// With `switchTo` the segment ends with a switch bit and that record.
void EncodePicSegment(BitWriter& out, std::span<const std::uint8_t> bytes,
                      const PicGeometry& geometry, const ModeRecord* switchTo);

// Rice code with r low bits (signed values are zig-zag mapped first).
void PutRice(BitWriter& out, std::uint32_t value, unsigned r);

}  // namespace pelmora::acewriter::encode
