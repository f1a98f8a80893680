#include "winrules/SharedFileVersion.h"

#include <gtest/gtest.h>

namespace pelmora::winrules {
namespace {

TEST(SharedFileVersion, TheNewerCopyStaysAndAnEqualOneReplaces) {
  using V = std::optional<FileVersionNumber>;
  const V none;
  struct Row {
    V incoming;
    V installed;
    bool replaces;
  };
  const Row rows[] = {
      {FileVersionNumber{0x00010000, 0x00000001}, FileVersionNumber{0x00020000, 0}, false},
      {FileVersionNumber{0x00020000, 0}, FileVersionNumber{0x00010000, 0x00000001}, true},
      // The major part outweighs everything after it.
      {FileVersionNumber{0x00020000, 0}, FileVersionNumber{0x0001FFFF, 0xFFFFFFFF}, true},
      // Only the build differs.
      {FileVersionNumber{0x00010000, 0x00000001}, FileVersionNumber{0x00010000, 0x00000002}, false},
      {FileVersionNumber{0x00010000, 0x00010000}, FileVersionNumber{0x00010000, 0x0000FFFF}, true},
      {FileVersionNumber{0x00010000, 0x00000001}, FileVersionNumber{0x00010000, 0x00000001}, true},
      // Without a resource: older than even 0.0.0.0; two without are equal.
      {none, FileVersionNumber{0, 0}, false},
      {FileVersionNumber{0, 0}, none, true},
      {none, none, true},
  };
  for (const Row& row : rows)
    EXPECT_EQ(ReplacesSharedCopy(row.incoming, row.installed), row.replaces) << &row - rows;
}

}  // namespace
}  // namespace pelmora::winrules
