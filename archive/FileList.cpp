#include "archive/FileList.h"

#include <algorithm>

namespace pelmora::archive {

unsigned char FoldCase1252(unsigned char c) {
  if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 0x20);
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<unsigned char>(c - 0x20);
  switch (c) {
    case 0x9A:
      return 0x8A;  // š Š
    case 0x9C:
      return 0x8C;  // œ Œ
    case 0x9E:
      return 0x8E;  // ž Ž
    case 0xFF:
      return 0x9F;  // ÿ Ÿ
    default:
      return c;
  }
}

int CompareIgnoringCase1252(std::string_view a, std::string_view b) {
  const std::size_t common = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < common; ++i) {
    const int x = FoldCase1252(static_cast<unsigned char>(a[i]));
    const int y = FoldCase1252(static_cast<unsigned char>(b[i]));
    if (x != y) return x - y;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

namespace {

bool LessIgnoringCase(std::string_view a, std::string_view b) {
  return CompareIgnoringCase1252(a, b) < 0;
}

}  // namespace

FileList::FileList(std::initializer_list<std::string> lines) {
  for (const std::string& line : lines) Add(line);
}

bool FileList::Add(std::string line) {
  auto place = std::lower_bound(lines_.begin(), lines_.end(), line, LessIgnoringCase);
  if (place != lines_.end() && CompareIgnoringCase1252(*place, line) == 0) return false;
  lines_.insert(place, std::move(line));
  return true;
}

bool FileList::Contains(std::string_view name) const {
  auto place = std::lower_bound(lines_.begin(), lines_.end(), name, LessIgnoringCase);
  return place != lines_.end() && CompareIgnoringCase1252(*place, name) == 0;
}

void FileList::Assign(std::span<const std::string> lines) {
  // Copy first: `lines` may be this list's own content.
  std::vector<std::string> copy(lines.begin(), lines.end());
  lines_.clear();
  for (std::string& line : copy) Add(std::move(line));
}

}  // namespace pelmora::archive
