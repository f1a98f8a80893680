#include "contract/UninstallEntry.h"

#include <gtest/gtest.h>

#include "contract/CommandLine.h"
#include "contract/Language.h"

namespace pelmora::contract {
namespace {

std::string Split(std::string_view line) {
  const CommandLine c = SplitCommandLine(line);
  return c.program + "|" + c.argument;
}

// What the setup writes, the uninstaller must read back to the same two
// paths, whatever blanks and Windows-1252 letters they hold.
TEST(UninstallEntry, TheCommandTheSetupWritesSplitsBackIntoProgramAndProtocol) {
  EXPECT_EQ(UninstallCommand("C:\\WINDOWS\\", "C:\\Programme\\Tool\\"),
            "C:\\WINDOWS\\stUnInst.exe \"C:\\Programme\\Tool\\UnInstall.log\"");
  EXPECT_EQ(UninstallArgument("D:\\T\\"), "\"D:\\T\\UnInstall.log\"");
  EXPECT_EQ(QuietUninstallCommand("C:\\WINDOWS\\", "D:\\T\\"),
            "C:\\WINDOWS\\stUnInst.exe /S \"D:\\T\\UnInstall.log\"");
  for (const char* windows : {"C:\\WINDOWS\\", "C:\\Win Dir\\", "C:\\W.exe dir\\"})
    for (const char* target : {"C:\\Programme\\Tool\\", "C:\\Mein B\xFCro\\A b.exe c\\"}) {
      EXPECT_EQ(Split(UninstallCommand(windows, target)),
                std::string(windows) + "stUnInst.exe|" + target + "UnInstall.log")
          << windows << " " << target;
      // The quiet command: the same program, silent, the same protocol.
      const std::string quiet = QuietUninstallCommand(windows, target);
      const UninstallerCall call = ParseUninstallerCall(quiet);
      EXPECT_TRUE(call.silent && !call.misuse && call.logFile.empty()) << quiet;
      EXPECT_EQ(call.protocol, std::string(target) + "UnInstall.log");
      EXPECT_EQ(SplitCommandLine(quiet).program, std::string(windows) + "stUnInst.exe");
    }
  EXPECT_EQ(UninstallKeyPath("Tool"),
            "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tool");
}

// Command lines written by hand, by Windows or by an older setup.
TEST(UninstallEntry, CommandLinesQuotedOrNot) {
  EXPECT_EQ(Split("\"C:\\Win Dir\\stUnInst.exe\"   C:\\Firma\\Mein Produkt\\UnInstall.log  "),
            "C:\\Win Dir\\stUnInst.exe|C:\\Firma\\Mein Produkt\\UnInstall.log");
  EXPECT_EQ(Split("C:\\Win Dir\\STUNINST.EXE C:\\a b\\UnInstall.log"),
            "C:\\Win Dir\\STUNINST.EXE|C:\\a b\\UnInstall.log");
  EXPECT_EQ(Split("stUnInst"), "stUnInst|");
  EXPECT_EQ(Split("\"C:\\x\\stUnInst.exe\" \"\""), "C:\\x\\stUnInst.exe|");
  EXPECT_EQ(Split("stUnInst \"C:\\unclosed\\UnInstall.log"),
            "stUnInst|C:\\unclosed\\UnInstall.log");
}

TEST(UninstallEntry, TheEntryAKeyBelongsTo) {
  const std::string entry = UninstallKeyPath("Tool");
  EXPECT_EQ(UninstallEntryOf(entry), entry);
  EXPECT_EQ(UninstallEntryOf(entry + "\\Sub\\Deeper"), entry);
  EXPECT_EQ(
      UninstallEntryOf("Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\X"),
      "Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\X");
  EXPECT_EQ(UninstallEntryOf("Software\\Firma\\Tool"), "");
  EXPECT_EQ(UninstallEntryOf("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"), "");
  EXPECT_EQ(UninstallEntryOf("Software\\Microsoft\\Windows\\CurrentVersion\\UninstallX\\Y"), "");
}

TEST(Language, GermanOnlyWhenTheNameBeginsWithDeutsch) {
  EXPECT_FALSE(UsesEnglish("Deutsch (\xD6sterreich)"));
  EXPECT_FALSE(UsesEnglish("Deutsch"));
  EXPECT_TRUE(UsesEnglish("German (Germany)"));
  EXPECT_TRUE(UsesEnglish("Deutsc"));
  EXPECT_TRUE(UsesEnglish(""));
}

}  // namespace
}  // namespace pelmora::contract
