#include "tools/acetool/CreateCommand.h"

#include <filesystem>

#include "acewriter/FolderArchiver.h"

namespace pelmora::acetool {

namespace {

// An archive written into the folder it archives would swallow its own,
// half-written volumes.
bool IsInside(const std::filesystem::path& file, const std::filesystem::path& folder) {
  std::error_code ec;
  const auto parent =
      std::filesystem::weakly_canonical(std::filesystem::absolute(file, ec), ec).parent_path();
  const auto root = std::filesystem::weakly_canonical(std::filesystem::absolute(folder, ec), ec);
  if (ec) return false;
  auto p = parent.begin();
  for (auto r = root.begin(); r != root.end(); ++r, ++p) {
    if (r->empty()) continue;  // trailing separator of the folder
    if (p == parent.end() || *p != *r) return false;
  }
  return true;
}

}  // namespace

int CreateArchive(const Invocation& inv, std::ostream& out, std::ostream& err) {
  if (IsInside(inv.archive, inv.directory)) {
    err << "acetool: " << inv.archive << ": the archive must not be written into the folder "
        << inv.directory << " that it archives\n";
    return 1;
  }
  acewriter::ArchiveWriter writer(inv.archive, inv.create);
  const auto report = acewriter::ArchiveFolder(
      std::filesystem::path(inv.directory), writer,
      [&err](const std::string& message) { err << "acetool: " << message << "\n"; });
  const auto result = writer.Finish();
  for (const std::string& stale : result.removedStale)
    err << "acetool: removed " << stale << ", a volume left from an earlier archive\n";
  out << "created " << result.volumes.front();
  if (result.volumes.size() > 1) out << " and " << result.volumes.size() - 1 << " more volume(s)";
  out << ": " << report.files << " files, " << report.folders << " folders, " << report.bytes
      << " bytes\n";
  return 0;
}

}  // namespace pelmora::acetool
