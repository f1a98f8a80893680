// A program's command line as Windows hands it over, and the Uninstall
// key's "UninstallString" in the same form: the program, a blank, then the
// protocol's path, quoted or not (an unquoted path may hold blanks, so the
// rest of the line is the one argument).
#pragma once

#include <string>
#include <string_view>

namespace pelmora::uninstall {

struct CommandLine {
  std::string program;
  std::string argument;  // without its quotes; empty when there is none
};

// The program is quoted, or ends at the first ".exe" followed by a blank
// (a Windows folder may hold blanks), or else at the first blank.
CommandLine SplitCommandLine(std::string_view line);

}  // namespace pelmora::uninstall
