#include "winrules/VersionText.h"

#include <gtest/gtest.h>

namespace pelmora::winrules {
namespace {

TEST(FileVersionText, FourPartsMostSignificantFirst) {
  EXPECT_EQ(FormatFileVersion(0x00010002u, 0x00030004u), "1.2.3.4");
  EXPECT_EQ(FormatFileVersion(0x00050000u, 0x0A280000u), "5.0.2600.0");
  EXPECT_EQ(FormatFileVersion(0, 0), "0.0.0.0");
}

TEST(FileVersionText, PartsAreUnsignedSixteenBitNumbers) {
  EXPECT_EQ(FormatFileVersion(0xFFFFFFFFu, 0xFFFF8000u), "65535.65535.65535.32768");
}

}  // namespace
}  // namespace pelmora::winrules
