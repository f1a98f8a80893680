// The command line of pelmora-pack build.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "acewriter/ProgressMeter.h"

namespace pelmora::pack {

// `args` without "build". Returns the exit code: 0 built, 1 refused or
// failed (the reasons on `err`), 2 a usage error. The progress goes to
// `err` when `display` says it is a terminal, unless --quiet.
int RunBuildCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                    const acewriter::ProgressDisplay& display);

// The environment variable that holds the certificate's password when no
// --sign-password-file is given.
inline constexpr const char* kSignPasswordVariable = "PELMORA_SIGN_PASSWORD";

}  // namespace pelmora::pack
