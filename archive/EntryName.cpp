#include "archive/EntryName.h"

#include <cstring>

namespace pelmora::archive {

std::string EntryNameText(const TACEHeaderData& header) {
  const char* text = header.FileName;
  const void* zero = std::memchr(text, 0, sizeof header.FileName);
  const std::size_t length = zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - text)
                                  : sizeof header.FileName;
  return std::string(text, length);
}

}  // namespace pelmora::archive
