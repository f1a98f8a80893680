#include "install/ProtocolTimes_win.h"

#include <gtest/gtest.h>

namespace pelmora::install {
namespace {

// The protocol's date line and duration, in the formats of the locale the
// tests run in (English, United States: what Wine takes for the C locale).
TEST(ProtocolTimes, DateTimeAndDurationInTheUsersFormats) {
  if (::GetUserDefaultLCID() !=
      MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT))
    GTEST_SKIP() << "the expected texts are those of English (United States)";
  SYSTEMTIME moment{};
  moment.wYear = 2026;
  moment.wMonth = 3;
  moment.wDay = 5;
  moment.wHour = 14;
  moment.wMinute = 7;
  moment.wSecond = 9;
  EXPECT_EQ(ShortDate(moment), "3/5/2026");
  EXPECT_EQ(LongTime(moment), "2:07:09 PM");
  // Hours, minutes and whole seconds, shown like a time of day.
  EXPECT_EQ(DurationAsTime(3000), "12:00:03 AM");
  EXPECT_EQ(DurationAsTime(((1 * 60 + 2) * 60 + 3) * 1000 + 999), "1:02:03 AM");
  EXPECT_EQ(DurationAsTime(((13 * 60 + 30) * 60) * 1000), "1:30:00 PM");
}

}  // namespace
}  // namespace pelmora::install
