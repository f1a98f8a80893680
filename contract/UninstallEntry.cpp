#include "contract/UninstallEntry.h"

#include "contract/AnsiText.h"
#include "contract/CommandLine.h"
#include "contract/ProductFiles.h"

namespace pelmora::contract {

std::optional<Refusal> CheckUninstallKeyName(std::string_view keyName) {
  if (keyName.find_first_not_of(" \t") == std::string_view::npos ||
      keyName.find('\\') != std::string_view::npos)
    return Reason::MalformedKey;
  return std::nullopt;
}

std::string UninstallKeyPath(std::string_view keyName) {
  return std::string(kUninstallKeyParent) + "\\" + std::string(keyName);
}

std::string UninstallArgument(std::string_view targetFolder) {
  return "\"" + std::string(targetFolder) + kProtocolLineName + "\"";
}

std::string UninstallCommand(std::string_view windowsFolder, std::string_view targetFolder) {
  return std::string(windowsFolder) + kUninstallerFileName + " " + UninstallArgument(targetFolder);
}

std::string QuietUninstallCommand(std::string_view windowsFolder, std::string_view targetFolder) {
  return std::string(windowsFolder) + kUninstallerFileName + " " + std::string(kSilentSwitch) +
         " " + UninstallArgument(targetFolder);
}

std::string UninstallEntryOf(std::string_view key) {
  // A 32-bit program on 64-bit Windows sees its keys below Wow6432Node.
  constexpr std::string_view kSoftware = "SOFTWARE\\";
  const std::string native = std::string(kUninstallKeyParent) + "\\";
  const std::string mirrored =
      std::string(kSoftware) + "Wow6432Node\\" + native.substr(kSoftware.size());
  for (const std::string& parent : {native, mirrored}) {
    if (key.size() <= parent.size() || !EqualsIgnoreCaseAnsi(key.substr(0, parent.size()), parent))
      continue;
    return std::string(key.substr(0, key.find('\\', parent.size())));
  }
  return {};
}

}  // namespace pelmora::contract
