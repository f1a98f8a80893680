// The uninstaller's command line: the program, then its switches and the
// protocol's path. The setup writes it as the Uninstall entry's
// "UninstallString" (the path alone) and "QuietUninstallString" (with /S)
// (contract/UninstallEntry.h); Windows hands it to the uninstaller in the
// same form.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "contract/Refusal.h"

namespace pelmora::contract {

struct CommandLine {
  std::string program;
  std::string argument;  // without its quotes; empty when there is none
};

// The program is quoted, or ends where a quoted argument or a switch (a
// blank and "/") begins, or at the first ".exe" followed by a blank (a
// Windows folder may hold blanks), or else at the first blank. The argument
// is the rest of the line, quoted or not (an unquoted path may hold blanks).
CommandLine SplitCommandLine(std::string_view line);

// The switches, case-insensitive:
//   /S           remove with no window at all
//   /LOG=<file>  append a log of the run to <file>; quoted as a whole
//                ("/LOG=C:\a b.log") or after "=" (/LOG="C:\a b.log")
// A full Windows path never begins with "/", so every word that does is a
// switch, quoted or not, and an unquoted protocol path (which may hold
// blanks, as the setup of old wrote it) ends at the line's end or where a
// blank and "/" begin a switch.
inline constexpr std::string_view kSilentSwitch = "/S";
inline constexpr std::string_view kLogSwitch = "/LOG=";

struct UninstallerCall {
  bool silent = false;
  std::string logFile;   // empty: no log
  std::string protocol;  // without its quotes; empty when none is given
  // UnknownSwitch with the first word that is not understood (an unknown
  // switch, /LOG= without a file or given twice, a second path). The fields
  // above keep what was read, so that a silent run stays without a window
  // and the log asked for says why nothing was done.
  std::optional<Refusal> misuse;
};

UninstallerCall ParseUninstallerCall(std::string_view line);

}  // namespace pelmora::contract
