#include "tools/acetool/Acetool.h"

#include <exception>

#include "tools/acetool/ArchiveCommands.h"
#include "tools/acetool/CommandLine.h"
#include "tools/acetool/CreateCommand.h"

namespace acetool {

int RunAcetool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  Invocation inv;
  try {
    inv = ParseCommandLine(args);
  } catch (const UsageError& e) {
    err << "acetool: " << e.what() << "\n" << kUsageText;
    return 2;
  }
  try {
    switch (inv.kind) {
      case CommandKind::List: return ListArchive(inv, out, err);
      case CommandKind::Test: return TestArchive(inv, out, err);
      case CommandKind::Extract: return ExtractArchive(inv, out, err);
      case CommandKind::Create: return CreateArchive(inv, out, err);
    }
  } catch (const std::exception& e) {
    err << "acetool: " << inv.archive << ": " << e.what() << "\n";
  } catch (...) {
    err << "acetool: " << inv.archive << ": unexpected failure\n";
  }
  return 1;
}

}  // namespace acetool
