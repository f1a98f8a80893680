#include "install/UninstallValues.h"

#include "contract/UninstallEntry.h"

namespace pelmora::install {

std::vector<NamedValue> UninstallValues(const std::string& targetDir, const std::string& windowsDir,
                                        const setupdesc::SetupDescription& description) {
  std::vector<NamedValue> values = {
      {contract::kUninstallStringValue, contract::UninstallCommand(windowsDir, targetDir)},
      {contract::kDisplayNameValue, description.ProductName + " " + description.ProductVersion},
      {contract::kDisplayVersionValue, description.ProductVersion},
      {contract::kInstallPathValue, targetDir},
  };
  for (std::size_t i = 0; i < setupdesc::kSupportValueCount; ++i)
    values.push_back({setupdesc::kSupportValueNames[i], description.SupportInfo[i]});
  return values;
}

}  // namespace pelmora::install
