// DOS date-time stamps as ACE headers carry them: local time, two-second
// steps, years 1980..2107, date in the high 16 bits.
#pragma once

#include <cstdint>
#include <optional>

namespace pelmora::unace::format {

struct CalendarTime {
  int year = 1980;
  int month = 1;  // 1..12
  int day = 1;    // 1..31
  int hour = 0;
  int minute = 0;
  int second = 0;  // 0..59; stamps hold even seconds
};

// The fields as stored, whether or not they name a real time.
CalendarTime SplitDosTime(std::uint32_t dosTime);

// nullopt for stamps that name no real time (month 0, hour 25, ...).
std::optional<CalendarTime> DecodeDosTime(std::uint32_t dosTime);

// Odd seconds round down. Times before 1980 become 1980-01-01 00:00:00 and
// times after 2107 the last representable moment: a file time out of range
// must not wrap into a plausible-looking wrong date that makes the installer
// keep an old file.
std::uint32_t EncodeDosTime(const CalendarTime& t);

}  // namespace pelmora::unace::format
