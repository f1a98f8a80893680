#include <gtest/gtest.h>

#include "archive/FullPath.h"

namespace pelmora::archive {
namespace {

TEST(FullPath, OnlyDriveAndUncPathsAreFull) {
  for (const char* full : {"C:\\", "c:/setup", "Z:\\x\\y", "\\\\server\\share", "\\\\?\\C:\\x"})
    EXPECT_TRUE(IsFullPath(full)) << full;
  for (const char* relative :
       {"", ".", "setup", "\\setup", "/setup", "C:", "C:setup", "\\\\", "1:\\x"})
    EXPECT_FALSE(IsFullPath(relative)) << relative;
}

}  // namespace
}  // namespace pelmora::archive
