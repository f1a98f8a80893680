// How an installation treats a product that is already there. The existing
// installation page sets it from the two versions and the user's choice;
// the extraction decides by it which entries to unpack over which files,
// and the run wipes the listed settings first in a complete repair.
#pragma once

#include <cstdint>

namespace pelmora::contract {

// One byte, as the page has always kept it; the values are fixed.
enum class InstallMode : std::uint8_t {
  Update = 0,             // also a first installation: only what is newer goes in
  CompleteUpdate = 1,     // every file overwritten
  Downgrade = 2,          // the downgrade's "Abort": the setup ends before any run
  CompleteDowngrade = 3,  // installed anyway, every file overwritten
  Repair = 4,             // only what is newer goes in
  CompleteRepair = 5,     // every file overwritten, the listed settings wiped first
  AwaitingChoice = 6,     // set on the way to the existing installation page
};

}  // namespace pelmora::contract
