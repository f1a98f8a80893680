#include "unace/format/DosTime.h"

namespace unace::format {

std::optional<CalendarTime> DecodeDosTime(std::uint32_t dosTime) {
  CalendarTime t;
  t.year = 1980 + static_cast<int>(dosTime >> 25);
  t.month = static_cast<int>((dosTime >> 21) & 0x0F);
  t.day = static_cast<int>((dosTime >> 16) & 0x1F);
  t.hour = static_cast<int>((dosTime >> 11) & 0x1F);
  t.minute = static_cast<int>((dosTime >> 5) & 0x3F);
  t.second = static_cast<int>(dosTime & 0x1F) * 2;
  if (t.month < 1 || t.month > 12 || t.day < 1 || t.hour > 23 || t.minute > 59 || t.second > 59)
    return std::nullopt;
  static constexpr int kDaysIn[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (t.day > kDaysIn[t.month - 1]) return std::nullopt;
  if (t.month == 2 && t.day == 29) {
    const bool leap = (t.year % 4 == 0 && t.year % 100 != 0) || t.year % 400 == 0;
    if (!leap) return std::nullopt;
  }
  return t;
}

}  // namespace unace::format
