// acetool c: archives the content of a folder.
#pragma once

#include <ostream>

#include "acewriter/ProgressMeter.h"
#include "tools/acetool/CommandLine.h"

namespace pelmora::acetool {

// Dated by SOURCE_DATE_EPOCH or the newest file (acewriter/BuildTime.h), so
// that the same folder gives the same archive.
int CreateArchive(const Invocation& inv, const acewriter::ProgressDisplay& display,
                  std::ostream& out, std::ostream& err);

}  // namespace pelmora::acetool
