#include "uninstall/ShortcutRule.h"

#include <gtest/gtest.h>

namespace pelmora::uninstall {

using contract::TargetFolder;
namespace {

TEST(ShortcutRule, OnlyLinksIntoTheTargetAndThisProtocolsUninstallLinkAreTheProducts) {
  const TargetFolder target = std::get<TargetFolder>(TargetFolder::Parse("C:\\Firma\\Produkt\\"));
  const std::string protocol = "C:\\Firma\\Produkt\\UnInstall.log";
  EXPECT_TRUE(IsProductShortcut(target, protocol, "C:\\Firma\\Produkt\\main.exe", ""));
  EXPECT_TRUE(IsProductShortcut(target, protocol, "\"c:\\firma\\produkt\\doc\\a.txt\"", ""));
  EXPECT_TRUE(IsProductShortcut(target, protocol, "C:\\windows\\STUNINST.EXE",
                                "\"C:\\Firma\\Produkt\\UnInstall.log\""));
  // The user's links, and another product's uninstall link, stay.
  EXPECT_FALSE(IsProductShortcut(target, protocol, "C:\\windows\\notepad.exe", ""));
  EXPECT_FALSE(IsProductShortcut(target, protocol, "C:\\Firma\\Produkt", ""));
  EXPECT_FALSE(IsProductShortcut(target, protocol, "C:\\Firma\\Produkt\\..\\other.exe", ""));
  EXPECT_FALSE(IsProductShortcut(target, protocol, "C:\\Firma\\Produkt2\\main.exe", ""));
  EXPECT_FALSE(IsProductShortcut(target, protocol, "C:\\windows\\stUnInst.exe",
                                 "\"C:\\Firma\\Anderes\\UnInstall.log\""));
  EXPECT_FALSE(IsProductShortcut(target, protocol, "C:\\windows\\other.exe",
                                 "\"C:\\Firma\\Produkt\\UnInstall.log\""));
}

}  // namespace
}  // namespace pelmora::uninstall
