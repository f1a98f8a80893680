// What the setup writes into the product's Uninstall key: the twelve string
// values, in the order they are written.
#pragma once

#include <string>
#include <vector>

#include "setupdesc/SetupDescription.h"

namespace pelmora::install {

struct NamedValue {
  std::string name;
  std::string data;
  bool operator==(const NamedValue&) const = default;
};

// targetDir and windowsDir end in "\". Empty support lines stay as empty values.
std::vector<NamedValue> UninstallValues(const std::string& targetDir, const std::string& windowsDir,
                                        const setupdesc::SetupDescription& description);

}  // namespace pelmora::install
