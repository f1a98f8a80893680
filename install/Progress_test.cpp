#include "install/Progress.h"

#include <gtest/gtest.h>

namespace pelmora::install {
namespace {

TEST(ExtractProgress, BytesUnpackedOverWhatTheListPassSelected) {
  ExtractProgress p;
  p.CountListed(1000, true);
  p.CountListed(50000, false);  // stays on disk: not part of the total
  p.CountListed(3000, true);
  EXPECT_EQ(p.Percent(), 0);
  p.AddUnpacked(1000);
  EXPECT_EQ(p.Percent(), 25);
  p.AddUnpacked(-700);  // ignored
  p.AddUnpacked(1999);
  EXPECT_EQ(p.Percent(), 74);  // rounded down: full only when everything is there
  p.AddUnpacked(1);
  EXPECT_EQ(p.Percent(), 75);
  p.AddUnpacked(5000);  // more than the headers announced
  EXPECT_EQ(p.Percent(), 100);
}

TEST(ExtractProgress, NothingSelectedMeansEveryEntryIsUnpacked) {
  ExtractProgress p;
  p.CountListed(300, false);
  p.CountListed(100, false);
  p.AddUnpacked(100);
  EXPECT_EQ(p.Percent(), 25);

  // Selected entries that are all empty: nothing to unpack, no division by zero.
  ExtractProgress empty;
  empty.CountListed(0, true);
  empty.CountListed(4096, false);
  EXPECT_EQ(empty.Percent(), 0);
  empty.AddUnpacked(10);
  EXPECT_EQ(empty.Percent(), 0);
  EXPECT_EQ(ExtractProgress().Percent(), 0);

  // Totals beyond 32 bits.
  ExtractProgress big;
  for (int i = 0; i < 8; ++i) big.CountListed(0xFFFFFFFFu, true);
  big.AddUnpacked(4LL * 0xFFFFFFFFLL);
  EXPECT_EQ(big.Percent(), 50);
}

}  // namespace
}  // namespace pelmora::install
