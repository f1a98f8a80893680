#include "acewriter/DosTime.h"

namespace acewriter {

std::uint32_t ToDosDateTime(const LocalDateTime& t) {
  if (t.year < 1980) return (1u << 21) | (1u << 16);
  if (t.year > 2107) return ToDosDateTime({2107, 12, 31, 23, 59, 59});
  const auto field = [](int value) { return static_cast<std::uint32_t>(value); };
  return (field(t.year - 1980) << 25) | (field(t.month) << 21) | (field(t.day) << 16) |
         (field(t.hour) << 11) | (field(t.minute) << 5) | field(t.second / 2);
}

LocalDateTime FromDosDateTime(std::uint32_t dos) {
  LocalDateTime t;
  t.year = 1980 + static_cast<int>(dos >> 25);
  t.month = static_cast<int>((dos >> 21) & 0x0F);
  t.day = static_cast<int>((dos >> 16) & 0x1F);
  t.hour = static_cast<int>((dos >> 11) & 0x1F);
  t.minute = static_cast<int>((dos >> 5) & 0x3F);
  t.second = static_cast<int>(dos & 0x1F) * 2;
  return t;
}

}  // namespace acewriter
