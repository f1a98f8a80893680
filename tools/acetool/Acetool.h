// acetool as a function, so that tests drive it like the command line does.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace pelmora::acetool {

// Exit status: 0 success, 1 the operation failed, 2 the command line is wrong.
// Never throws.
int RunAcetool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace pelmora::acetool
