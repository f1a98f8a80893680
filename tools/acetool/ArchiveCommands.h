// The commands that read an archive (l, t, x), all through the extraction
// library. Each returns the process exit status: 0 only when everything
// succeeded; failures are reported on `err` with archive, entry and meaning.
#pragma once

#include <ostream>

#include "acewriter/ProgressMeter.h"
#include "tools/acetool/CommandLine.h"

namespace pelmora::acetool {

int ListArchive(const Invocation& inv, std::ostream& out, std::ostream& err);
int TestArchive(const Invocation& inv, std::ostream& out, std::ostream& err);
// Ends with one summary line; shows its progress on `err` (the total
// counted in a first pass over the headers) when `display` is a terminal.
int ExtractArchive(const Invocation& inv, const acewriter::ProgressDisplay& display,
                   std::ostream& out, std::ostream& err);

// An entry name (Windows-1252, '\' separated) as a path below `directory`
// in this platform's file-name encoding.
std::string TargetPathFor(const std::string& directory, const std::string& entryName);

}  // namespace pelmora::acetool
