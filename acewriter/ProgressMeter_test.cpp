#include "acewriter/ProgressMeter.h"

#include <gtest/gtest.h>

#include <sstream>

namespace pelmora::acewriter {
namespace {

using namespace std::chrono_literals;

TEST(ProgressMeter, RedrawsOneLineInPlaceAtMostTenTimesASecondAndClearsIt) {
  std::chrono::nanoseconds now = 5s;  // any start
  std::ostringstream err;
  ProgressMeter meter(err, true, [&now] { return now; });
  meter.SetTotal(10u << 20);

  now += 50ms;
  meter.Add(1u << 20);
  EXPECT_EQ(err.str(), "");  // a run this short shows nothing
  now += 100ms;
  meter.Add(8u << 20);  // 9 MiB after 0.15 s
  const std::string first = "\r9.0 MiB of 10.0 MiB, 90%, 60.0 MiB/s";
  EXPECT_EQ(err.str(), first);
  now += 50ms;
  meter.Add(1u << 19);
  EXPECT_EQ(err.str(), first);  // not again within a tenth of a second
  now += 9800ms;
  meter.Add(0);  // 9.5 MiB after 10 s: a shorter line blanks the rest of the longer one
  const std::string second = "\r9.5 MiB of 10.0 MiB, 95%, 972.8 KiB/s";
  ASSERT_EQ(second.size() + 0, first.size() + 1);
  EXPECT_EQ(err.str(), first + second);
  EXPECT_EQ(meter.Done(), (9u << 20) + (1u << 19));
  EXPECT_DOUBLE_EQ(meter.Seconds(), 10.0);

  meter.Clear();
  const std::string cleared = "\r" + std::string(second.size() - 1, ' ') + "\r";
  EXPECT_EQ(err.str(), first + second + cleared);
  meter.Clear();  // once only
  EXPECT_EQ(err.str(), first + second + cleared);
}

TEST(ProgressMeter, ShowsNothingWhenToldNotToButStillCountsAndTimes) {
  std::chrono::nanoseconds now = 0s;
  std::ostringstream err;
  {
    ProgressMeter meter(err, false, [&now] { return now; });
    meter.SetTotal(100);
    for (int i = 0; i < 10; ++i) {
      now += 1s;
      meter.Add(10);
    }
    EXPECT_EQ(meter.Done(), 100u);
    EXPECT_DOUBLE_EQ(meter.Seconds(), 10.0);
  }
  EXPECT_EQ(err.str(), "");

  // A run that ends by an exception leaves no line standing either.
  {
    ProgressMeter meter(err, true, [&now] { return now; });
    now += 1s;
    meter.Add(2048);  // no total known: count and rate only
  }
  EXPECT_EQ(err.str(), "\r2.0 KiB, 2.0 KiB/s\r                  \r");
}

TEST(ProgressMeter, SummaryNamesFilesBytesBothWaysRatioAndTime) {
  EXPECT_EQ(DescribeTotals({3, 1000, 400, false, 0.25}),
            "3 files, 1000 bytes in, 400 bytes out, ratio 40.0%, 0.25 s");
  // Extracting reads the packed bytes; the ratio is still packed to original.
  EXPECT_EQ(DescribeTotals({2, 1000, 1500, true, 12}),
            "2 files, 1500 bytes in, 1000 bytes out, ratio 150.0%, 12.00 s");
  EXPECT_EQ(DescribeTotals({0, 0, 32, false, 0}),
            "0 files, 0 bytes in, 32 bytes out, ratio -, 0.00 s");
  EXPECT_EQ(FormatBytes(1023), "1023 B");
  EXPECT_EQ(FormatBytes(3u << 30), "3.00 GiB");
}

}  // namespace
}  // namespace pelmora::acewriter
