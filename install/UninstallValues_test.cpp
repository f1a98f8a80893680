#include "install/UninstallValues.h"

#include <gtest/gtest.h>

namespace pelmora::install {
namespace {

TEST(UninstallValuesTest, TheTwelveValuesInTheirOrder) {
  setupdesc::SetupDescription description;
  description.ProductName = "Tool";
  description.ProductVersion = "2.5";
  description.SupportInfo[setupdesc::Publisher] = "Firma";
  description.SupportInfo[setupdesc::HelpLink] = "http://hilfe.example";
  description.SupportInfo[setupdesc::Comments] = "Kommentar";

  const std::vector<NamedValue> values =
      UninstallValues("C:\\Programme\\Tool\\", "C:\\WINDOWS\\", description);
  std::vector<std::string> lines;
  for (const NamedValue& value : values) lines.push_back(value.name + "=" + value.data);
  EXPECT_EQ(lines,
            (std::vector<std::string>{
                "UninstallString=C:\\WINDOWS\\stUnInst.exe \"C:\\Programme\\Tool\\UnInstall.log\"",
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
            }));
}

}  // namespace
}  // namespace pelmora::install
