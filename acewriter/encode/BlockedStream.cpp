#include "acewriter/encode/BlockedStream.h"

#include "acewriter/encode/LzBlockCoder.h"

namespace acewriter::encode {

void EncodeBlockedMember(std::span<const std::uint8_t> data, const Options&, LzParser& parser, BitWriter& out) {
  LzBlockCoder coder(out, true);
  parser.code(data, coder);
  coder.flush();
}

}  // namespace acewriter::encode
