#include "tools/acetool/Acetool.h"

#include <exception>

#include "tools/acetool/ArchiveCommands.h"
#include "tools/acetool/CommandLine.h"
#include "tools/acetool/CreateCommand.h"

namespace pelmora::acetool {
namespace {

int Dispatch(const Invocation& inv, const acewriter::ProgressDisplay& display, std::ostream& out,
             std::ostream& err) {
  switch (inv.kind) {
    case CommandKind::List:
      return ListArchive(inv, out, err);
    case CommandKind::Test:
      return TestArchive(inv, out, err);
    case CommandKind::Extract:
      return ExtractArchive(inv, display, out, err);
    case CommandKind::Create:
      return CreateArchive(inv, display, out, err);
  }
  return 1;
}

}  // namespace

int RunAcetool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
               const acewriter::ProgressDisplay& display) {
  std::string archive;
  try {
    const Invocation inv = ParseCommandLine(args);
    if (inv.help) {
      out << kUsageText;
      return 0;
    }
    archive = inv.archive;
    return Dispatch(inv, display, out, err);
  } catch (const UsageError& e) {
    err << "acetool: " << e.what() << "\n" << kUsageText;
    return 2;
  } catch (const std::exception& e) {
    err << "acetool: " << archive << ": " << e.what() << "\n";
  } catch (...) {
    err << "acetool: " << archive << ": unexpected failure\n";
  }
  return 1;
}

}  // namespace pelmora::acetool
