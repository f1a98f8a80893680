#include "archive/EntryName.h"

#include <cstring>

namespace pelmora::archive {

std::string EntryNameText(const TACEHeaderData& header) {
  const char* text = header.FileName;
  const void* zero = std::memchr(text, 0, sizeof header.FileName);
  const std::size_t length =
      zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - text) : sizeof header.FileName;
  return std::string(text, length);
}

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

bool IsUnsafeEntryName(std::string_view name) {
  if (!name.empty() && IsSeparator(name.front())) return true;
  if (name.find(':') != std::string_view::npos) return true;
  std::size_t start = 0;
  while (start <= name.size()) {
    std::size_t end = start;
    while (end < name.size() && !IsSeparator(name[end])) ++end;
    // Windows drops trailing dots and spaces of a component, so ".. " and
    // "..." climb like "..".
    std::string_view component = name.substr(start, end - start);
    while (!component.empty() && (component.back() == ' ' || component.back() == '.') &&
           component.size() > 2)
      component.remove_suffix(1);
    if (component == "..") return true;
    start = end + 1;
  }
  return false;
}

}  // namespace pelmora::archive
