#include "acewriter/DosTime.h"

#include <gtest/gtest.h>

namespace acewriter {
namespace {

TEST(DosTime, PacksFieldsLikeRealArchives) {
  // 2012-08-04 13:57:02, as stored in an archive made by the original tool.
  EXPECT_EQ(ToDosDateTime({2012, 8, 4, 13, 57, 2}), 0x41046F21u);
  EXPECT_EQ(ToDosDateTime({2024, 1, 1, 0, 0, 0}), 0x58210000u);
  // Odd seconds round down to the two-second step.
  EXPECT_EQ(ToDosDateTime({2012, 8, 4, 13, 57, 3}), 0x41046F21u);
}

TEST(DosTime, ClampsYearsOutsideTheRange) {
  EXPECT_EQ(ToDosDateTime({1970, 6, 1, 12, 0, 0}), ToDosDateTime({1980, 1, 1, 0, 0, 0}));
  const LocalDateTime last = FromDosDateTime(ToDosDateTime({2200, 1, 1, 0, 0, 0}));
  EXPECT_EQ(last.year, 2107);
  EXPECT_EQ(last.month, 12);
  EXPECT_EQ(last.day, 31);
  EXPECT_EQ(last.second, 58);
}

TEST(DosTime, UnpacksWhatItPacks) {
  const LocalDateTime t = FromDosDateTime(ToDosDateTime({1999, 12, 31, 23, 59, 58}));
  EXPECT_EQ(t.year, 1999);
  EXPECT_EQ(t.month, 12);
  EXPECT_EQ(t.day, 31);
  EXPECT_EQ(t.hour, 23);
  EXPECT_EQ(t.minute, 59);
  EXPECT_EQ(t.second, 58);
}

}  // namespace
}  // namespace acewriter
