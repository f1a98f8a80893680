#include "unace/format/DosTime.h"

namespace pelmora::unace::format {

CalendarTime SplitDosTime(std::uint32_t dosTime) {
  CalendarTime t;
  t.year = 1980 + static_cast<int>(dosTime >> 25);
  t.month = static_cast<int>((dosTime >> 21) & 0x0F);
  t.day = static_cast<int>((dosTime >> 16) & 0x1F);
  t.hour = static_cast<int>((dosTime >> 11) & 0x1F);
  t.minute = static_cast<int>((dosTime >> 5) & 0x3F);
  t.second = static_cast<int>(dosTime & 0x1F) * 2;
  return t;
}

std::optional<CalendarTime> DecodeDosTime(std::uint32_t dosTime) {
  const CalendarTime t = SplitDosTime(dosTime);
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

std::uint32_t EncodeDosTime(const CalendarTime& t) {
  if (t.year < 1980) return EncodeDosTime(CalendarTime{});
  if (t.year > 2107) return EncodeDosTime({2107, 12, 31, 23, 59, 59});
  const auto field = [](int value) { return static_cast<std::uint32_t>(value); };
  return (field(t.year - 1980) << 25) | (field(t.month) << 21) | (field(t.day) << 16) |
         (field(t.hour) << 11) | (field(t.minute) << 5) | field(t.second / 2);
}

}  // namespace pelmora::unace::format
