// Names of the volumes that follow a given one. The installer opens
// "DATA.c00" and the extraction library then asks for "DATA.c01", ...; any
// other first name (NAME.ace) continues with NAME.c00.
#pragma once

#include <string>

namespace acewriter {

// The name of the volume after `current` (a path; only its last component's
// extension matters). Throws std::out_of_range after ".c99": readers
// disagree on what follows, so a set never goes beyond it.
std::string NextVolumeName(const std::string& current);

}  // namespace acewriter
