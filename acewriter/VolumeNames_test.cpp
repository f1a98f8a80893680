#include "acewriter/VolumeNames.h"

#include <gtest/gtest.h>

namespace acewriter {
namespace {

TEST(VolumeNames, NumberedExtensionsCountUp) {
  EXPECT_EQ(NextVolumeName("DATA.c00"), "DATA.c01");
  EXPECT_EQ(NextVolumeName("DATA.c09"), "DATA.c10");
  EXPECT_EQ(NextVolumeName("disk/DATA.C41"), "disk/DATA.C42");
  EXPECT_EQ(NextVolumeName("DATA.c98"), "DATA.c99");
}

TEST(VolumeNames, OtherExtensionsStartAtC00) {
  EXPECT_EQ(NextVolumeName("set.ace"), "set.c00");
  EXPECT_EQ(NextVolumeName("setup.exe"), "setup.c00");
  EXPECT_EQ(NextVolumeName("DATA.c0"), "DATA.c00");
  EXPECT_EQ(NextVolumeName("DATA.x01"), "DATA.c00");
  EXPECT_EQ(NextVolumeName("noext"), "noext.c00");
}

TEST(VolumeNames, OnlyTheLastPathComponentCounts) {
  EXPECT_EQ(NextVolumeName("my.dir/archive"), "my.dir/archive.c00");
  EXPECT_EQ(NextVolumeName("C:\\my.c05\\archive"), "C:\\my.c05\\archive.c00");
}

TEST(VolumeNames, NothingFollowsC99) {
  EXPECT_THROW(NextVolumeName("DATA.c99"), std::out_of_range);
}

}  // namespace
}  // namespace acewriter
