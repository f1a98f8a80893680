#include "install/UninstallValues.h"

#include <gtest/gtest.h>

namespace pelmora::install {
namespace {

TEST(UninstallValuesTest, TheValuesAndNumbersInTheirOrder) {
  setupdesc::SetupDescription description;
  description.ProductName = "Tool";
  description.ProductVersion = "2.5";
  description.SupportInfo[setupdesc::Publisher] = "Firma";
  description.SupportInfo[setupdesc::HelpLink] = "http://hilfe.example";
  description.SupportInfo[setupdesc::Comments] = "Kommentar";

  description.AppExeName = "bin\\tool.exe";
  const std::vector<NamedValue> values =
      UninstallValues("C:\\Programme\\Tool\\", "C:\\WINDOWS\\", description, "20261208");
  std::vector<std::string> lines;
  for (const NamedValue& value : values) lines.push_back(value.name + "=" + value.data);
  EXPECT_EQ(lines,
            (std::vector<std::string>{
                "UninstallString=C:\\WINDOWS\\stUnInst.exe \"C:\\Programme\\Tool\\UnInstall.log\"",
                "QuietUninstallString=C:\\WINDOWS\\stUnInst.exe /S "
                "\"C:\\Programme\\Tool\\UnInstall.log\"",
                "DisplayName=Tool 2.5",
                "DisplayVersion=2.5",
                "InstallPath=C:\\Programme\\Tool\\",
                "Publisher=Firma",
                "URLInfoAbout=",
                "URLUpdateInfo=",
                "HelpLink=http://hilfe.example",
                "HelpTelephone=",
                "Contact=",
                "Readme=",
                "Comments=Kommentar",
                "DisplayIcon=C:\\Programme\\Tool\\bin\\tool.exe",
                "InstallDate=20261208",
            }));
  // Without a main program there is no icon to show.
  description.AppExeName.clear();
  EXPECT_EQ(UninstallValues("C:\\T\\", "C:\\W\\", description, "20260101").back(),
            (NamedValue{"InstallDate", "20260101"}));
  // The size in KiB, a started KiB counting; the two buttons off.
  EXPECT_EQ(UninstallNumbers(1025),
            (std::vector<NamedNumber>{{"EstimatedSize", 2}, {"NoModify", 1}, {"NoRepair", 1}}));
  EXPECT_EQ(UninstallNumbers(0).front().value, 0u);
  EXPECT_EQ(UninstallNumbers(1024).front().value, 1u);
  EXPECT_EQ(InstallDate(2026, 3, 5), "20260305");
  EXPECT_EQ(InstallDate(2026, 12, 31), "20261231");
}

}  // namespace
}  // namespace pelmora::install
