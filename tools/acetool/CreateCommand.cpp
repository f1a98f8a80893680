#include "tools/acetool/CreateCommand.h"

#include <filesystem>

#include "acewriter/BuildTime.h"
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

// The archive's bytes, all volumes together.
std::uint64_t VolumeBytes(const std::vector<std::string>& volumes) {
  std::uint64_t bytes = 0;
  for (const std::string& volume : volumes) {
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(volume, ec);
    if (!ec) bytes += size;
  }
  return bytes;
}

}  // namespace

int CreateArchive(const Invocation& inv, const acewriter::ProgressDisplay& display,
                  std::ostream& out, std::ostream& err) {
  if (IsInside(inv.archive, inv.directory)) {
    err << "acetool: " << inv.archive << ": the archive must not be written into the folder "
        << inv.directory << " that it archives\n";
    return 1;
  }
  const std::filesystem::path folder(inv.directory);
  const acewriter::FolderSurvey survey = acewriter::SurveyFolder(folder);
  acewriter::ArchiveOptions options = inv.create;
  acewriter::DateArchive(options, acewriter::SourceDateEpochFromEnvironment(), survey.newestFile);
  acewriter::ProgressMeter meter(err, display.terminal && !inv.quiet, display.clock);
  meter.SetTotal(survey.bytes);
  acewriter::ArchiveWriter writer(inv.archive, options);
  writer.OnBytesRead([&meter](std::uint64_t bytes) { meter.Add(bytes); });
  const auto report = acewriter::ArchiveFolder(
      folder, writer,
      [&](const std::string& message) {
        meter.Clear();
        err << "acetool: " << message << "\n";
      },
      {}, inv.order);
  const auto result = writer.Finish();
  meter.Clear();
  for (const std::string& stale : result.removedStale)
    err << "acetool: removed " << stale << ", a volume left from an earlier archive\n";
  out << "created " << result.volumes.front();
  if (result.volumes.size() > 1) out << " and " << result.volumes.size() - 1 << " more volume(s)";
  out << ": " << report.folders << " folders, "
      << acewriter::DescribeTotals(
             {report.files, report.bytes, VolumeBytes(result.volumes), false, meter.Seconds()})
      << "\n";
  return 0;
}

}  // namespace pelmora::acetool
