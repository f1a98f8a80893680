// The uninstaller's command line: the program, a blank, then the protocol's
// path, quoted or not (an unquoted path may hold blanks, so the rest of the
// line is the one argument). The setup writes it as the Uninstall entry's
// "UninstallString" (contract/UninstallEntry.h); Windows hands it to the
// uninstaller in the same form.
#pragma once

#include <string>
#include <string_view>

namespace pelmora::contract {

struct CommandLine {
  std::string program;
  std::string argument;  // without its quotes; empty when there is none
};

// The program is quoted, or ends where a quoted argument begins, or at the
// first ".exe" followed by a blank (a Windows folder may hold blanks), or
// else at the first blank.
CommandLine SplitCommandLine(std::string_view line);

}  // namespace pelmora::contract
