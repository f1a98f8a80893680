// wintool's command line, read without any Windows call so that a mistyped
// invocation fails the same way whatever is on the screen.
#pragma once

#include <string>
#include <vector>

namespace pelmora::uia {

struct Invocation {
  std::string command;
  std::vector<std::string> args;  // the command's operands, bytes as given
  double timeoutSeconds = 10;
  std::string windowClass;  // empty: any class
  bool cancel = false;      // folder --cancel
  bool print = false;       // folder --print
};

// Throws CommandFailure(kExitUsage) naming what is wrong.
Invocation ParseCommandLine(const std::vector<std::string>& argv);

// A decimal number within [min, max]; throws CommandFailure(kExitUsage)
// naming `what` otherwise.
long ParseNumber(const std::string& text, long min, long max, const char* what);

extern const char* const kUsage;

}  // namespace pelmora::uia
