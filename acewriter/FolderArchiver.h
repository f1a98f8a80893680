// Archives the content of a folder tree: every sub-folder becomes a folder
// entry placed before its content, every file a member, named relative to
// the root with '\' separators in Windows-1252. Entries come in a fixed
// order (by default the byte order of the names within each folder), so the
// same tree always gives the same archive.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "acewriter/ArchiveWriter.h"

namespace pelmora::acewriter {

struct FolderArchiveReport {
  std::size_t folders = 0;
  std::size_t files = 0;
  std::uint64_t bytes = 0;
};

// Called for things that are neither file nor folder (sockets, devices,
// links to folders), which are left out.
using SkipNotice = std::function<void(const std::string& message)>;

// Files of the tree whose bytes are read from another file: member name
// (as the walk names it) -> that file. The member keeps the tree file's
// name, place and stamp; only its content is replaced (a program signed
// into a work file, say, while the tree stays as it is).
using ContentSubstitutes = std::map<std::string, std::filesystem::path>;

// The order of the members.
enum class MemberOrder {
  // The tree as it is walked: within each folder the names' byte order, a
  // folder's entry followed by its content.
  ByName,
  // Every folder's entry first (in the order above), then the files by
  // their extensions (compared without case; none comes first), within one
  // extension in the order above. In a solid archive similar files then
  // stand side by side, where the dictionary finds more of each in the
  // one before it: programs with programs, libraries with libraries.
  ByType,
};

// Adds the content of `root` (not `root` itself) to `writer`. Throws
// std::runtime_error naming the file that could not be read or named.
FolderArchiveReport ArchiveFolder(const std::filesystem::path& root, ArchiveWriter& writer,
                                  const SkipNotice& onSkip = {},
                                  const ContentSubstitutes& readInstead = {},
                                  MemberOrder order = MemberOrder::ByName);

// What ArchiveFolder would take from the tree, without reading a byte of
// it: the files' number and size (the total a progress display counts to)
// and the newest file's time (the archive's own date; BuildTime.h).
struct FolderSurvey {
  std::size_t files = 0;
  std::uint64_t bytes = 0;
  std::optional<std::int64_t> newestFile;  // seconds since 1970; none: no file
};

// Walks `root` as ArchiveFolder does. Throws std::runtime_error naming the
// folder that cannot be read.
FolderSurvey SurveyFolder(const std::filesystem::path& root);

}  // namespace pelmora::acewriter
