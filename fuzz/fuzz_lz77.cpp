// Arbitrary bytes as an ACE 1.0 member's packed data.
#include "fuzz/DecoderFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return FuzzMemberDecoding(data, size, /*blocked=*/false);
}
