// acetool as a function, so that tests drive it like the command line does.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "acewriter/ProgressMeter.h"

namespace pelmora::acetool {

// Exit status: 0 success, 1 the operation failed, 2 the command line is wrong.
// Never throws. c and x show their progress on `err` when `display` says it
// is a terminal (and --quiet is not given).
int RunAcetool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
               const acewriter::ProgressDisplay& display = {});

}  // namespace pelmora::acetool
