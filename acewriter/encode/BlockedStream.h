// The ACE 2.0 blocked stream of one member: LZ77 stretches interleaved with
// EXE, DELTA, SOUND and PIC segments, all sharing one window.
#pragma once

#include <cstdint>
#include <span>

#include "acewriter/encode/BitWriter.h"
#include "acewriter/encode/Encoder.h"
#include "acewriter/encode/LzParser.h"

namespace acewriter::encode {

void EncodeBlockedMember(std::span<const std::uint8_t> data, const Options& options, LzParser& parser,
                         BitWriter& out);

}  // namespace acewriter::encode
