// DOS date-time as ACE headers carry it: local time, two-second steps,
// years 1980..2107, date in the high 16 bits.
#pragma once

#include <cstdint>

namespace acewriter {

struct LocalDateTime {
  int year = 1980;  // e.g. 2024
  int month = 1;    // 1..12
  int day = 1;      // 1..31
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// Times before 1980 become 1980-01-01 00:00:00 and times after 2107 the last
// representable moment: a file time out of range must not wrap into a
// plausible-looking wrong date that makes the installer keep an old file.
std::uint32_t ToDosDateTime(const LocalDateTime& t);
LocalDateTime FromDosDateTime(std::uint32_t dos);

}  // namespace acewriter
