// What the product's Uninstall key holds: the twelve string values, in the
// order they are written, and the key's path below the root.
#pragma once

#include <string>
#include <vector>

#include "setupdesc/SetupDescription.h"

namespace pelmora::install {

// The uninstaller as it comes out of the archive into the target directory;
// in the Windows directory every installation keeps it under this name.
inline constexpr const char* kUninstallerFileName = "stUnInst.exe";

struct NamedValue {
  std::string name;
  std::string data;
  bool operator==(const NamedValue&) const = default;
};

// "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\" + the key name.
std::string UninstallKeyPath(const setupdesc::SetupDescription& description);

// targetDir and windowsDir end in "\". Empty support lines stay as empty values.
std::vector<NamedValue> UninstallValues(const std::string& targetDir, const std::string& windowsDir,
                                        const setupdesc::SetupDescription& description);

}  // namespace pelmora::install
