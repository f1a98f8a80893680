#include <gtest/gtest.h>

#include "unace/archive/VolumeNames.h"

namespace {

using unace::archive::NextVolumeNameFor;

TEST(VolumeNames, FollowTheArchiversScheme) {
  struct Case {
    const char* current;
    const char* lower;
    const char* upper;
  };
  const Case cases[] = {
      {"X.ace", "X.c00", "X.C00"},
      {"dir\\X.exe", "dir\\X.c00", "dir\\X.C00"},
      {"DATA.c00", "DATA.c01", "DATA.C01"},
      {"A:\\DATA.C05", "A:\\DATA.c06", "A:\\DATA.C06"},
      {"x.c09", "x.c10", "x.C10"},
      {"x.c99", "x.c100", "x.C100"},
      {"noext", "noext.c00", "noext.C00"},
      {"dir.v2/archive", "dir.v2/archive.c00", "dir.v2/archive.C00"},
      {"x.cab", "x.c00", "x.C00"},
      {"x.c99999999999999999999", "x.c00", "x.C00"},  // no number overflow
  };
  for (const Case& c : cases) {
    const auto names = NextVolumeNameFor(c.current);
    EXPECT_EQ(names.lowerCase, c.lower) << c.current;
    EXPECT_EQ(names.upperCase, c.upper) << c.current;
  }
}

}  // namespace
