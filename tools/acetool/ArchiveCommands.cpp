#include "tools/acetool/ArchiveCommands.h"

#include <cstdio>
#include <functional>

#include "acewriter/LocalText.h"
#include "tools/acetool/LibraryArchive.h"
#include "tools/acetool/LibraryCodes.h"
#include "unace/format/DosTime.h"
#include "unace/format/Flags.h"
#include "unace/fs/PathSeparator.h"

namespace pelmora::acetool {
namespace {

std::string MethodName(const EntryInfo& e) {
  switch (e.method) {
    case unace::format::kStored:
      return "stored";
    case unace::format::kLz77:
      return "lz77";
    case unace::format::kBlocked:
      return "ace20";
    default:
      return "m" + std::to_string(e.method);
  }
}

std::string FormatDosTime(std::uint32_t dos) {
  // Shown as stored, even when the stamp names no real time.
  const unace::format::CalendarTime t = unace::format::SplitDosTime(dos);
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                t.minute, t.second);
  return text;
}

std::string FormatAttributes(std::uint32_t attributes) {
  namespace format = unace::format;
  std::string s = "-----";
  if (attributes & format::kAttributeDirectory) s[0] = 'D';
  if (attributes & format::kAttributeReadOnly) s[1] = 'R';
  if (attributes & format::kAttributeHidden) s[2] = 'H';
  if (attributes & format::kAttributeSystem) s[3] = 'S';
  if (attributes & format::kAttributeArchive) s[4] = 'A';
  return s;
}

class EntryWalk {
 public:
  // `meter` (may be null) is cleared before each message.
  EntryWalk(const Invocation& inv, int openMode, std::ostream& err,
            acewriter::ProgressMeter* meter = nullptr)
      : inv_(inv), archive_(inv.archive, openMode), err_(err), meter_(meter) {}

  // Calls `onEntry` for every entry; returns the exit status. `onEntry`
  // returns the library's code for the entry.
  int Run(const std::function<int(const EntryInfo&)>& onEntry) {
    if (archive_.OpenCode() != ACE_OK) {
      ClearMeter();
      err_ << "acetool: " << inv_.archive << ": " << DescribeLibraryCode(archive_.OpenCode())
           << "\n";
      ReportMissingVolumes();
      return 1;
    }
    if (!inv_.password.empty()) archive_.SetPassword(inv_.password);
    int failures = 0;
    for (;;) {
      EntryInfo entry;
      const int code = archive_.Next(entry);
      if (code == ACE_END_OF_ARCHIVE) break;
      if (code != ACE_OK) {
        ClearMeter();
        err_ << "acetool: " << inv_.archive
             << ": reading the next entry failed: " << DescribeLibraryCode(code) << "\n";
        ReportMissingVolumes();
        return 1;
      }
      const int result = onEntry(entry);
      if (result != ACE_OK) {
        ++failures;
        ClearMeter();
        err_ << "acetool: " << inv_.archive << ": entry \"" << acewriter::LocalText(entry.name)
             << "\": " << DescribeLibraryCode(result);
        if (result == ACE_ERR_PASSWORD && inv_.password.empty()) err_ << "; give --password";
        err_ << "\n";
        ReportMissingVolumes();
      }
    }
    if (failures > 0) {
      ClearMeter();
      err_ << "acetool: " << inv_.archive << ": " << failures << " entr"
           << (failures == 1 ? "y" : "ies") << " failed\n";
      return 1;
    }
    return 0;
  }

  LibraryArchive& Archive() { return archive_; }

 private:
  void ClearMeter() {
    if (meter_) meter_->Clear();
  }

  void ReportMissingVolumes() {
    for (std::size_t i = reported_; i < archive_.MissingVolumes().size(); ++i)
      err_ << "acetool: volume " << archive_.MissingVolumes()[i] << " is needed but missing\n";
    reported_ = archive_.MissingVolumes().size();
  }

  const Invocation& inv_;
  LibraryArchive archive_;
  std::ostream& err_;
  acewriter::ProgressMeter* meter_;
  std::size_t reported_ = 0;
};

// The unpacked bytes of all entries, from their headers alone. A damaged
// or incomplete archive gives what could be counted; the extraction itself
// then reports what is wrong.
std::uint64_t OriginalBytes(const std::string& archivePath, const std::string& password) {
  LibraryArchive archive(archivePath, ACE_OPEN_LIST);
  if (archive.OpenCode() != ACE_OK) return 0;
  if (!password.empty()) archive.SetPassword(password);
  std::uint64_t total = 0;
  EntryInfo entry;
  while (archive.Next(entry) == ACE_OK) {
    total += entry.originalSize;
    if (archive.Process(ACE_SKIP, {}) != ACE_OK) break;
  }
  return total;
}

}  // namespace

std::string TargetPathFor(const std::string& directory, const std::string& entryName) {
  // Names are shown and created in the platform's own spelling.
  const char separator = unace::fs::kPathSeparator;
  std::string name = acewriter::LocalText(entryName);
  for (char& c : name)
    if (c == '\\') c = separator;
  if (directory.empty()) return name;
  const char last = directory.back();
  return (last == '/' || last == '\\') ? directory + name : directory + separator + name;
}

int ListArchive(const Invocation& inv, std::ostream& out, std::ostream& err) {
  EntryWalk walk(inv, ACE_OPEN_LIST, err);
  std::uint64_t total = 0;
  std::size_t count = 0;
  bool headerShown = false;
  const int status = walk.Run([&](const EntryInfo& e) {
    if (!headerShown) {
      out << "      Size     Packed  Modified             Attr   Method  Name\n";
      headerShown = true;
    }
    char line[96];
    std::snprintf(line, sizeof line, "%10lu %10lu  %s  %s  %-6s %c",
                  static_cast<unsigned long>(e.originalSize),
                  static_cast<unsigned long>(e.packedSize), FormatDosTime(e.dosTime).c_str(),
                  FormatAttributes(e.attributes).c_str(), MethodName(e).c_str(),
                  e.Encrypted() ? '*' : ' ');
    out << line << acewriter::LocalText(e.name) << "\n";
    total += e.originalSize;
    ++count;
    return walk.Archive().Process(ACE_SKIP, {});
  });
  out << count << " entr" << (count == 1 ? "y" : "ies") << ", " << total << " bytes\n";
  return status;
}

int TestArchive(const Invocation& inv, std::ostream& out, std::ostream& err) {
  EntryWalk walk(inv, ACE_OPEN_EXTRACT, err);
  std::size_t good = 0;
  const int status = walk.Run([&](const EntryInfo& e) {
    const int code = walk.Archive().Process(ACE_TEST, {});
    if (code == ACE_OK) {
      out << "OK      " << acewriter::LocalText(e.name) << "\n";
      ++good;
    }
    return code;
  });
  if (status == 0) out << "all " << good << " entries OK\n";
  return status;
}

int ExtractArchive(const Invocation& inv, const acewriter::ProgressDisplay& display,
                   std::ostream& out, std::ostream& err) {
  acewriter::ProgressMeter meter(err, display.terminal && !inv.quiet, display.clock);
  if (meter.Showing()) meter.SetTotal(OriginalBytes(inv.archive, inv.password));
  EntryWalk walk(inv, ACE_OPEN_EXTRACT, err, &meter);
  walk.Archive().OnData([&meter](std::size_t bytes) { meter.Add(bytes); });
  acewriter::WorkTotals totals;
  totals.unpacking = true;
  std::size_t folders = 0;
  const int status = walk.Run([&](const EntryInfo& e) {
    const int code = walk.Archive().Process(ACE_EXTRACT, TargetPathFor(inv.directory, e.name));
    if (code == ACE_OK) {
      if (e.IsFolder()) {
        ++folders;
      } else {
        ++totals.files;
        totals.originalBytes += e.originalSize;
      }
      totals.packedBytes += e.packedSize;
    }
    return code;
  });
  meter.Clear();
  totals.seconds = meter.Seconds();
  if (status == 0)
    out << "extracted to " << inv.directory << ": " << folders << " folders, "
        << acewriter::DescribeTotals(totals) << "\n";
  return status;
}

}  // namespace pelmora::acetool
