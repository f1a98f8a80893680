#include "install/UninstallValues.h"

#include <algorithm>
#include <limits>

#include "contract/UninstallEntry.h"

namespace pelmora::install {

std::vector<NamedValue> UninstallValues(const std::string& targetDir, const std::string& windowsDir,
                                        const setupdesc::SetupDescription& description,
                                        std::string_view installDate) {
  std::vector<NamedValue> values = {
      {contract::kUninstallStringValue, contract::UninstallCommand(windowsDir, targetDir)},
      {contract::kQuietUninstallStringValue,
       contract::QuietUninstallCommand(windowsDir, targetDir)},
      {contract::kDisplayNameValue, description.ProductName + " " + description.ProductVersion},
      {contract::kDisplayVersionValue, description.ProductVersion},
      {contract::kInstallPathValue, targetDir},
  };
  for (std::size_t i = 0; i < setupdesc::kSupportValueCount; ++i)
    values.push_back({setupdesc::kSupportValueNames[i], description.SupportInfo[i]});
  if (!description.AppExeName.empty())
    values.push_back({"DisplayIcon", targetDir + description.AppExeName});
  values.push_back({"InstallDate", std::string(installDate)});
  return values;
}

std::string InstallDate(int year, int month, int day) {
  const auto digits = [](int value, std::size_t width) {
    std::string text = std::to_string(value);
    return std::string(width > text.size() ? width - text.size() : 0, '0') + text;
  };
  return digits(year, 4) + digits(month, 2) + digits(day, 2);
}

std::vector<NamedNumber> UninstallNumbers(std::uint64_t installedBytes) {
  const std::uint64_t kib = std::min<std::uint64_t>((installedBytes + 1023) / 1024,
                                                    std::numeric_limits<std::uint32_t>::max());
  return {{"EstimatedSize", static_cast<std::uint32_t>(kib)}, {"NoModify", 1}, {"NoRepair", 1}};
}

}  // namespace pelmora::install
