// The words of the installation run's failures: one place that turns what
// the steps and the rules answered into what the user reads.
#pragma once

#include <cstdint>
#include <string>

#include "common/WinFailure.h"
#include "install/RunErrors.h"

namespace pelmora::install {

// Windows' failure in the run-time library's German words the error report
// shows (it appends the full stop): a file's as "E/A-Fehler <code>" (101,
// the run time's disk write error, for a full disk), a key's as the key
// that could not be created, a value's as the value that could not be set;
// a COM server's is the notice "Failed to register <path>".
std::string FailureText(const common::WinFailure& failure);

// The same for whatever ended the run; a refused target folder in the
// page's language, as the target page words it.
std::string FailureText(const RunFailure& failure, bool english);

// The status line after a failed run: "The installation failed: " and the
// cause where Windows gave one the user can act on (a full drive, access
// denied, a file in use: systemError is Windows' code, 0 for none), else
// the plain failed status. A COM server's code is its own, no cause.
std::string FailedStatus(std::uint32_t systemError, bool english);
std::string FailedStatus(const RunFailure& failure, bool english);

}  // namespace pelmora::install
