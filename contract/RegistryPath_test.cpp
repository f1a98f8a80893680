#include "contract/RegistryPath.h"

#include <gtest/gtest.h>

namespace pelmora::contract {
namespace {

TEST(RegistryKeyPath, LeadingAndTrailingBackslashesAreDropped) {
  EXPECT_EQ(NormalizeRegistryKeyPath(
                "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Produkt"),
            "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Produkt");
  EXPECT_EQ(NormalizeRegistryKeyPath("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\"),
            "SOFTWARE\\Microsoft\\Windows\\CurrentVersion");
  EXPECT_EQ(NormalizeRegistryKeyPath("\\\\Software\\Firma\\\\"), "Software\\Firma");
  EXPECT_EQ(NormalizeRegistryKeyPath("Software\\Firma"), "Software\\Firma");
}

TEST(RegistryKeyPath, InnerSeparatorsAndBlanksStay) {
  EXPECT_EQ(NormalizeRegistryKeyPath("\\A\\\\B\\"), "A\\\\B");
  EXPECT_EQ(NormalizeRegistryKeyPath(" A "), " A ");
}

TEST(RegistryKeyPath, EmptyOrBackslashOnlyPathsNameTheRoot) {
  EXPECT_TRUE(NamesRootKey(""));
  EXPECT_TRUE(NamesRootKey("\\"));
  EXPECT_TRUE(NamesRootKey("\\\\\\"));
  EXPECT_EQ(NormalizeRegistryKeyPath("\\\\"), "");
  EXPECT_FALSE(NamesRootKey("\\a"));
  EXPECT_FALSE(NamesRootKey(" "));
}

}  // namespace
}  // namespace pelmora::contract
