#include <gtest/gtest.h>

#include "unace/format/VolumeNames.h"

namespace {

using pelmora::unace::format::NextVolumeNameAfter;

TEST(VolumeNames, FollowTheArchiversScheme) {
  struct Case {
    const char* current;
    const char* next;
    const char* otherCase;
  };
  const Case cases[] = {
      {"X.ace", "X.c00", "X.C00"},
      {"dir\\X.exe", "dir\\X.c00", "dir\\X.C00"},
      {"setup.exe", "setup.c00", "setup.C00"},
      {"DATA.c00", "DATA.c01", "DATA.C01"},
      {"A:\\DATA.C05", "A:\\DATA.C06", "A:\\DATA.c06"},  // the letter keeps its case
      {"disk/DATA.C41", "disk/DATA.C42", "disk/DATA.c42"},
      {"x.c09", "x.c10", "x.C10"},
      {"DATA.c98", "DATA.c99", "DATA.C99"},
      {"noext", "noext.c00", "noext.C00"},
      {"dir.v2/archive", "dir.v2/archive.c00", "dir.v2/archive.C00"},
      {"C:\\my.c05\\archive", "C:\\my.c05\\archive.c00", "C:\\my.c05\\archive.C00"},
      {"A:DATA.c03", "A:DATA.c04", "A:DATA.C04"},
      // Only .c and exactly two digits count on; anything else starts over.
      {"x.cab", "x.c00", "x.C00"},
      {"DATA.c0", "DATA.c00", "DATA.C00"},
      {"DATA.x01", "DATA.c00", "DATA.C00"},
      {"x.c100", "x.c00", "x.C00"},
      {"x.c99999999999999999999", "x.c00", "x.C00"},
  };
  for (const Case& c : cases) {
    const auto names = NextVolumeNameAfter(c.current);
    ASSERT_TRUE(names) << c.current;
    EXPECT_EQ(names->path, c.next) << c.current;
    EXPECT_EQ(names->otherCase, c.otherCase) << c.current;
  }
}

TEST(VolumeNames, NothingFollowsC99) {
  EXPECT_FALSE(NextVolumeNameAfter("DATA.c99"));
  EXPECT_FALSE(NextVolumeNameAfter("dir\\DATA.C99"));
}

}  // namespace
