// The command line of acetool:
//   acetool l ARCHIVE [--password PW]          list the entries
//   acetool t ARCHIVE [--password PW]          test every entry
//   acetool x ARCHIVE DIR [--password PW]      extract into DIR
//   acetool c ARCHIVE DIR [options]            archive DIR's content
// create options: --method stored|lz77|ace20, --mode auto|lz77|exe|delta|
// sound|pic (ace20), --solid, --group-by-type, --volume-size BYTES,
// --dictionary-bits N, --level N (default kDefaultLevel), --password PW.
// Every command takes --quiet: no progress display (c and x show one on a
// terminal). --help or -h, alone or with a command, asks for the usage.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "acewriter/ArchiveOptions.h"
#include "acewriter/FolderArchiver.h"

namespace pelmora::acetool {

enum class CommandKind { List, Test, Extract, Create };

struct Invocation {
  CommandKind kind = CommandKind::List;
  std::string archive;
  std::string directory;             // x and c
  std::string password;              // empty: none given
  bool quiet = false;                // no progress display
  bool help = false;                 // --help or -h: print the usage, nothing else
  acewriter::ArchiveOptions create;  // c only
  acewriter::MemberOrder order = acewriter::MemberOrder::ByName;  // c only
};

// A command line that does not say what to do; the message tells why.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// `args` without the program name. Throws UsageError.
Invocation ParseCommandLine(const std::vector<std::string>& args);

extern const char* const kUsageText;

inline constexpr int kDefaultLevel = 2;

}  // namespace pelmora::acetool
