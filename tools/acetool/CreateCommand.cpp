#include "tools/acetool/CreateCommand.h"

#include <filesystem>

#include "acewriter/FolderArchiver.h"

namespace acetool {

int CreateArchive(const Invocation& inv, std::ostream& out, std::ostream& err) {
  acewriter::ArchiveWriter writer(inv.archive, inv.create);
  const auto report = acewriter::ArchiveFolder(
      std::filesystem::path(inv.directory), writer,
      [&err](const std::string& message) { err << "acetool: " << message << "\n"; });
  const auto result = writer.finish();
  for (const std::string& stale : result.removedStale)
    err << "acetool: removed " << stale << ", a volume left from an earlier archive\n";
  out << "created " << result.volumes.front();
  if (result.volumes.size() > 1) out << " and " << result.volumes.size() - 1 << " more volume(s)";
  out << ": " << report.files << " files, " << report.folders << " folders, " << report.bytes
      << " bytes\n";
  return 0;
}

}  // namespace acetool
