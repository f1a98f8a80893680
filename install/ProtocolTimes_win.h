// The protocol's date, time and duration, in the user's own formats: the
// short date and the long time format of the user's locale.
#pragma once

#include <windows.h>

#include <string>

namespace pelmora::install {

std::string ShortDate(const SYSTEMTIME& moment);
std::string LongTime(const SYSTEMTIME& moment);

// The run's duration shown like a time of day in the long time format
// (contract::ElapsedAsTimeOfDay tells how it is counted).
std::string DurationAsTime(DWORD milliseconds);

}  // namespace pelmora::install
