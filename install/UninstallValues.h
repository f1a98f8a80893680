// What the setup writes into the product's Uninstall key: the twelve string
// values Windows' list of installed programs has always shown, the command
// that removes the product without a user, the two that give it the
// product's icon and installation date, and the numbers for its
// size and the buttons it offers, in the order they are written.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "setupdesc/SetupDescription.h"

namespace pelmora::install {

struct NamedValue {
  std::string name;
  std::string data;
  bool operator==(const NamedValue&) const = default;
};

struct NamedNumber {
  std::string name;
  std::uint32_t value = 0;
  bool operator==(const NamedNumber&) const = default;
};

// targetDir and windowsDir end in "\"; installDate is yyyymmdd. Empty
// support lines stay as empty values; DisplayIcon (the main program) only
// when the description names one.
std::vector<NamedValue> UninstallValues(const std::string& targetDir, const std::string& windowsDir,
                                        const setupdesc::SetupDescription& description,
                                        std::string_view installDate);

// "yyyymmdd", the form the list of installed programs reads InstallDate in.
std::string InstallDate(int year, int month, int day);

// EstimatedSize in KiB (rounded up) of installedBytes, and the list's
// Modify and Repair buttons switched off: the setup offers neither there.
std::vector<NamedNumber> UninstallNumbers(std::uint64_t installedBytes);

}  // namespace pelmora::install
