#include "unace/format/DosTime.h"

#include <gtest/gtest.h>

namespace pelmora::unace::format {
namespace {

TEST(DosTime, DecodesValidStampsAndRejectsImpossibleOnes) {
  const auto t = DecodeDosTime(0x41046F21u);
  ASSERT_TRUE(t);
  EXPECT_EQ(t->year, 2012);
  EXPECT_EQ(t->month, 8);
  EXPECT_EQ(t->day, 4);
  EXPECT_EQ(t->hour, 13);
  EXPECT_EQ(t->minute, 57);
  EXPECT_EQ(t->second, 2);
  EXPECT_FALSE(DecodeDosTime(0));                                       // month 0, day 0
  EXPECT_EQ(SplitDosTime(0).month, 0);                                  // ... as stored
  EXPECT_FALSE(DecodeDosTime((44u << 25) | (2u << 21) | (30u << 16)));  // 30 February
  EXPECT_FALSE(DecodeDosTime((43u << 25) | (2u << 21) | (29u << 16)));  // 2023 is no leap year
  EXPECT_TRUE(DecodeDosTime((44u << 25) | (2u << 21) | (29u << 16)));   // 2024 is
}

TEST(DosTime, PacksFieldsLikeRealArchives) {
  // 2012-08-04 13:57:02, as stored in an archive made by the original tool.
  EXPECT_EQ(EncodeDosTime({2012, 8, 4, 13, 57, 2}), 0x41046F21u);
  EXPECT_EQ(EncodeDosTime({2024, 1, 1, 0, 0, 0}), 0x58210000u);
  // Odd seconds round down to the two-second step.
  EXPECT_EQ(EncodeDosTime({2012, 8, 4, 13, 57, 3}), 0x41046F21u);
}

TEST(DosTime, ClampsYearsOutsideTheRange) {
  EXPECT_EQ(EncodeDosTime({1970, 6, 1, 12, 0, 0}), EncodeDosTime({1980, 1, 1, 0, 0, 0}));
  const CalendarTime last = SplitDosTime(EncodeDosTime({2200, 1, 1, 0, 0, 0}));
  EXPECT_EQ(last.year, 2107);
  EXPECT_EQ(last.month, 12);
  EXPECT_EQ(last.day, 31);
  EXPECT_EQ(last.second, 58);
}

TEST(DosTime, DecodesWhatItEncodes) {
  const auto t = DecodeDosTime(EncodeDosTime({1999, 12, 31, 23, 59, 58}));
  ASSERT_TRUE(t);
  EXPECT_EQ(t->year, 1999);
  EXPECT_EQ(t->month, 12);
  EXPECT_EQ(t->day, 31);
  EXPECT_EQ(t->hour, 23);
  EXPECT_EQ(t->minute, 59);
  EXPECT_EQ(t->second, 58);
}

}  // namespace
}  // namespace pelmora::unace::format
