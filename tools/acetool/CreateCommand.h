// acetool c: archives the content of a folder.
#pragma once

#include <ostream>

#include "tools/acetool/CommandLine.h"

namespace pelmora::acetool {

int CreateArchive(const Invocation& inv, std::ostream& out, std::ostream& err);

}  // namespace pelmora::acetool
