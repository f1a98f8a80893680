// A one-file setup's carried data on hostile bytes: the input is the whole
// file. Whatever its headers and trailer say, the layout found lies inside
// the file, after the image and before the certificate table, in the order
// description, archive, trailer, without overlapping anything.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "contract/CarriedData.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace pelmora::contract;
  const std::span<const std::uint8_t> file(data, size);
  const std::optional<Overlay> overlay =
      FindOverlay(file.first(size < kPeHeaderBytes ? size : kPeHeaderBytes), size);
  if (!overlay) return 0;
  Require(overlay->begin <= overlay->end && overlay->end <= size);
  const std::size_t tail = CarriedTailBytes(*overlay);
  const auto found = ReadCarriedTrailer(
      *overlay, file.subspan(static_cast<std::size_t>(overlay->end) - tail, tail), 512);
  const auto* layout = std::get_if<CarriedLayout>(&found);
  if (!layout) return 0;
  Require(layout->descriptionOffset >= overlay->begin);
  Require(layout->descriptionLength > 0 && layout->descriptionLength <= 512);
  Require(layout->archiveOffset == layout->descriptionOffset + layout->descriptionLength);
  Require(layout->archiveLength > 0);
  Require(layout->archiveOffset + layout->archiveLength + kCarriedTrailerBytes == overlay->end);
  Require(layout->digestOffset + 32 == overlay->end);
  return 0;
}
