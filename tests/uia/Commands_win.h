#pragma once

#include "CommandLine.h"

namespace pelmora::uia {

// Carries out one command; prints its findings on stdout. Throws
// CommandFailure when it cannot be done.
void RunCommand(const Invocation& call);

}  // namespace pelmora::uia
