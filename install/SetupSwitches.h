// The setup program's switches. Without any, the setup is the wizard it has
// always been; with /S or /SP it installs without asking anyone, taking
// every choice a user would make from its defaults. Parsed before anything
// is written, so that a mistyped switch changes nothing on the machine.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "contract/Refusal.h"

namespace pelmora::install {

struct SetupSwitches {
  bool silent = false;        // /S: no window at all
  bool progressOnly = false;  // /SP: only the installation page, with its progress
  bool downgrade = false;     // /DOWNGRADE: an older medium may replace a newer installation
  std::optional<std::string> target;        // /D=<folder>, the last switch, blanks allowed
  std::optional<std::string> logFile;       // /LOG=<file>, quoted or not
  std::optional<std::string> passwordFile;  // /PASSWORDFILE=<file>, quoted or not

  bool Unattended() const { return silent || progressOnly; }
};

// `arguments` is the command line after the program's own name. Switches
// are separated by blanks and compared without regard to case. A value may
// be quoted, and so may a whole switch ("/LOG=C:\My Logs\a.log"), as
// programs that start others quote an argument with blanks. Everything
// after an unquoted "/D=" to the end of the line is the folder, blanks and
// all: /D= comes last. Refused (UnknownSwitch, detail: the switch as
// written): a word that is no switch, a switch given twice, a value
// missing, empty or with a quote inside it, an unclosed quote, anything
// after a quoted /D=, and /S together with /SP.
std::variant<SetupSwitches, contract::Refusal> ParseSetupSwitches(std::string_view arguments);

// Whether a line the parser refused still asks for a run without windows (a
// word /S or /SP anywhere before a /D=): its refusal is then only the exit
// code, no message box.
bool AsksForNoWindows(std::string_view arguments);

// The message box's text for a refused line, in the setup's language.
std::string UsageText(const contract::Refusal& refusal, bool english);

}  // namespace pelmora::install
