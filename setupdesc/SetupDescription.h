// The setup description in memory: what install.pmd says, plus the few facts
// the welcome page finds out at start. Filled once, then only read.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pelmora::setupdesc {

// The format's arrays have 256 slots: registry and shortcut entries use
// slots 1..255, COM servers 0..255.
inline constexpr std::size_t kSlotCount = 256;
using SlotArray = std::array<std::string, kSlotCount>;

// The support values in file order; each is written under its value name
// into the product's Uninstall key.
enum SupportValue : std::size_t {
  Publisher,
  URLInfoAbout,
  URLUpdateInfo,
  HelpLink,
  HelpTelephone,
  Contact,
  Readme,
  Comments,
  kSupportValueCount
};
inline constexpr std::array<const char*, kSupportValueCount> kSupportValueNames = {
    "Publisher",     "URLInfoAbout", "URLUpdateInfo", "HelpLink",
    "HelpTelephone", "Contact",      "Readme",        "Comments"};

// A shortcut's icon line that names no icon file: the shortcut shows its
// target's own icon.
inline constexpr const char* kNoIconFile = "icon";

struct SetupDescription {
  std::string SetupVersion;
  std::string ProductName;
  std::string ProductVersion;
  std::string UninstallKeyName;
  std::string AppExeName;  // empty: the product has no main program
  std::string InstalledVersion;
  std::string InstalledPath;
  std::array<std::string, kSupportValueCount> SupportInfo;

  std::int32_t RegistryCount = 0;  // RegistryLines[1..RegistryCount]
  std::int32_t OcxLast = -1;       // OcxFiles[0..OcxLast]
  std::int32_t IconCount = 0;      // Icon*[1..IconCount]
  SlotArray RegistryLines;
  SlotArray OcxFiles;
  SlotArray IconGroups;
  SlotArray IconNames;
  SlotArray IconTargets;
  SlotArray IconFiles;  // kNoIconFile means: no icon file

  // Present only when the file has the section; empty lines are kept.
  std::optional<std::vector<std::string>> ConfigFiles;

  bool English = false;
  bool ExistingInstall = false;
  bool InstallCompleted = false;
};

}  // namespace pelmora::setupdesc
