// The ACE 2.0 SOUND modes: an adaptive linear predictor per channel whose
// residuals are Huffman coded with three models per channel (normal, after
// busy values, after a zero run).
#pragma once

#include <cstdint>
#include <span>

#include "acewriter/encode/BitWriter.h"
#include "acewriter/encode/Encoder.h"
#include "acewriter/encode/ModeRecord.h"

namespace pelmora::acewriter::encode {

// Codes one SOUND segment; its length must be a multiple of 4. With
// `switchTo` the segment ends with the SOUND switch symbol and that record;
// without it the member ends here.
void EncodeSoundSegment(BitWriter& out, std::span<const std::uint8_t> bytes, SoundLayout layout,
                        const ModeRecord* switchTo);

}  // namespace pelmora::acewriter::encode
