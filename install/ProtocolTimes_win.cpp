#include "install/ProtocolTimes_win.h"

#include <chrono>

#include "contract/Protocol.h"

namespace pelmora::install {

std::string ShortDate(const SYSTEMTIME& moment) {
  char text[128] = {};
  ::GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &moment, nullptr, text, sizeof text);
  return text;
}

std::string LongTime(const SYSTEMTIME& moment) {
  char text[128] = {};
  ::GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &moment, nullptr, text, sizeof text);
  return text;
}

std::string DurationAsTime(DWORD milliseconds) {
  const contract::TimeOfDay t =
      contract::ElapsedAsTimeOfDay(std::chrono::milliseconds(milliseconds));
  // Any valid day does: only the time of day is shown.
  SYSTEMTIME time{};
  time.wYear = 2000;
  time.wMonth = 1;
  time.wDay = 1;
  time.wHour = static_cast<WORD>(t.hours);
  time.wMinute = static_cast<WORD>(t.minutes);
  time.wSecond = static_cast<WORD>(t.seconds);
  return LongTime(time);
}

}  // namespace pelmora::install
