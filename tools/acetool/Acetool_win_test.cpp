// What acetool does differently on Windows: names in their stored
// Windows-1252 bytes below '\'-separated folders.
#include <gtest/gtest.h>

#include "tools/acetool/ArchiveCommands.h"

namespace pelmora::acetool {
namespace {

TEST(TargetPath, JoinsTheEntryNameBelowTheFolder) {
  EXPECT_EQ(TargetPathFor("C:\\out", "a\\b.txt"), "C:\\out\\a\\b.txt");
  EXPECT_EQ(TargetPathFor("C:\\out\\", "Gr\374\337e"), "C:\\out\\Gr\374\337e");
}

}  // namespace
}  // namespace pelmora::acetool
