// The authoring command pelmora-pack: writes and inspects install.pmd.
// Kept apart from main() so that the commands are tested as functions.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "acewriter/ProgressMeter.h"

namespace pelmora::pack {

// Runs one command line (without the program name); returns the exit code.
// Results go to `out`, messages to `err`; build shows its progress there
// when `display` says it is a terminal.
int RunPackCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                   const acewriter::ProgressDisplay& display = {});

// The human-readable listing of what the reader takes from a description,
// or the reader's reason when it cannot take the description.
// `setupVersion` empty: the version line is not checked.
struct DescriptionListing {
  bool readable = false;
  std::string text;  // the listing, or "not readable: " and the reason
};
DescriptionListing DescribeDescription(const std::string& pmdBytes,
                                       const std::string& setupVersion);

}  // namespace pelmora::pack
