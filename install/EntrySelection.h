// Which archive entries an installation unpacks and which files already on
// disk it removes, by installation mode:
//   the complete modes and both downgrades: every entry is unpacked, an
//     existing file at its target path deleted first;
//   update, repair and a mode still awaiting the user's choice: an entry is
//     unpacked only over an older file or where there is none; a file as new
//     as the entry or newer stays, and the entry is passed over;
//   any other value: nothing is selected or deleted.
// "Existing file" means a file: a folder at the target path does not count.
//
// Note the archive component's rule that an empty selection means every
// entry: when the list pass selects nothing, the extract pass unpacks all
// entries onto the files that stayed.
#pragma once

#include <cstdint>
#include <string_view>

#include "contract/InstallMode.h"

namespace pelmora::install {

// What the caller found at an entry's target path.
struct ExistingFile {
  bool exists = false;       // a file (not a folder) is there
  std::int32_t dosTime = 0;  // its last-write time in local time, as a DOS date-time
};

struct ListingDecision {
  bool deleteExisting = false;  // delete the file at the target path (a failure is ignored)
  bool select = false;          // add the entry's name to the files the extract pass unpacks
};

// The list pass, once per entry. `entryDosTime` is the entry's FileTime.
// Times compare as signed 32-bit values, so a DOS time from 2044 on (its top
// bit set) counts as older than any earlier one.
ListingDecision DecideListing(contract::InstallMode mode, std::uint32_t entryDosTime,
                              const ExistingFile& existing);

// The extract pass, once per entry, selected or not: whether the file at the
// target path is deleted before the entry is reached. Only in the complete
// modes (complete update, the downgrade installed anyway, complete repair),
// and only for entries whose name holds a "." (the others
// count as folders and are never deleted).
bool DeleteBeforeExtracting(contract::InstallMode mode, std::string_view entryName,
                            bool existingFile);

}  // namespace pelmora::install
