// DOS date-time stamps: local time, two-second steps, date in the high half.
#pragma once

#include <cstdint>
#include <optional>

namespace unace::format {

struct CalendarTime {
  int year = 1980;
  int month = 1;   // 1..12
  int day = 1;     // 1..31
  int hour = 0;
  int minute = 0;
  int second = 0;  // even, 0..58
};

// nullopt for stamps that name no real time (month 0, hour 25, ...).
std::optional<CalendarTime> DecodeDosTime(std::uint32_t dosTime);

}  // namespace unace::format
