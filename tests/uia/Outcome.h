// How a wintool command ends. The exit codes are the interface to the test
// scripts: they tell "not there (yet)" apart from "there, but a user could
// not do that" and from a mistyped command.
#pragma once

#include <stdexcept>
#include <string>

namespace pelmora::uia {

enum ExitCode : int {
  kExitOk = 0,
  kExitNotFound = 1,    // the window or control did not appear in time
  kExitUsage = 2,       // the command line is wrong
  kExitImpossible = 3,  // found, but the action cannot be done (disabled, hidden, ...)
};

// Thrown by a command; main() prints the text and exits with the code.
class CommandFailure : public std::runtime_error {
 public:
  CommandFailure(ExitCode code, const std::string& what) : std::runtime_error(what), code_(code) {}
  ExitCode Code() const noexcept { return code_; }

 private:
  ExitCode code_;
};

}  // namespace pelmora::uia
