#include <gtest/gtest.h>

#include "archive/FullPath.h"

namespace pelmora::archive {
namespace {

TEST(FullPath, OnlyPathsFromTheRootAreFull) {
  EXPECT_TRUE(IsFullPath("/"));
  EXPECT_TRUE(IsFullPath("/opt/setup"));
  for (const char* relative : {"", ".", "setup", "./setup", "~/setup"})
    EXPECT_FALSE(IsFullPath(relative)) << relative;
}

}  // namespace
}  // namespace pelmora::archive
