#include "install/UninstallValues.h"

namespace pelmora::install {

std::string UninstallKeyPath(const setupdesc::SetupDescription& description) {
  return "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + description.UninstallKeyName;
}

std::vector<NamedValue> UninstallValues(const std::string& targetDir, const std::string& windowsDir,
                                        const setupdesc::SetupDescription& description) {
  std::vector<NamedValue> values = {
      {"UninstallString",
       windowsDir + kUninstallerFileName + " \"" + targetDir + "UnInstall.log\""},
      {"DisplayName", description.ProductName + " " + description.ProductVersion},
      {"DisplayVersion", description.ProductVersion},
      {"InstallPath", targetDir},
  };
  for (std::size_t i = 0; i < setupdesc::kSupportValueCount; ++i)
    values.push_back({setupdesc::kSupportValueNames[i], description.SupportInfo[i]});
  return values;
}

}  // namespace pelmora::install
