// Drives the five exports the way the installer does and records what
// happened, so tests can state expectations about whole archives.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "TestPaths.h"
#include "unace/Exports.h"
#include "unace/AceBuilder_testutil.h"
#include "unace/fs/PathSeparator.h"
#include "TestFiles.h"

namespace pelmora::unace::test {

using pelmora::test::ReadBytes;
using pelmora::test::WriteBytes;

struct WalkOptions {
  int openMode = ACE_OPEN_EXTRACT;
  int operation = ACE_EXTRACT;  // for the entries not in `skip`
  std::string password;         // set before every encrypted entry when not empty
  std::set<std::string> skip;   // entry names passed over with operation 0
  ACEChangeVolProc volumeCallback = nullptr;
  ACEProcessDataProc progressCallback = nullptr;
  std::size_t maxEntries = 100000;
  std::uint64_t volumeOffset = 0;  // an archive stored inside the file
  std::uint64_t volumeLength = 0;
};

struct WalkResult {
  int openResult = -1;
  std::vector<std::string> names;
  std::vector<int> processCodes;
  int endCode = -1;  // ACE_END_OF_ARCHIVE at the end, or the first failing code
};

// The path under which an entry is written: folder + separator + stored name.
inline std::string TargetFor(const std::string& folder, const std::string& entryName) {
  return folder + pelmora::unace::fs::kPathSeparator + entryName;
}

inline WalkResult Walk(const std::string& archivePath, const std::string& targetFolder,
                       const WalkOptions& options = {}) {
  WalkResult result;
  TACEOpenData open{};
  std::string name = archivePath;
  open.ArchiveName = name.data();
  open.OpenMode = options.openMode;
  open.ChangeVolProc = options.volumeCallback;
  open.ProcessDataProc = options.progressCallback;
  open.VolumeOffset = options.volumeOffset;
  open.VolumeLength = options.volumeLength;
  const ACEHandle handle = ACEOpenArchive(&open);
  result.openResult = open.OpenResult;
  if (handle == 0) {
    result.endCode = open.OpenResult;
    return result;
  }
  TACEHeaderData header{};
  for (std::size_t i = 0; i <= options.maxEntries; ++i) {
    const int code = ACEReadHeader(handle, &header);
    if (code != ACE_OK) {
      result.endCode = code;
      break;
    }
    const std::string entry(header.FileName);
    result.names.push_back(entry);
    if ((header.Flags & ACE_FLAG_PASSWORD) && !options.password.empty())
      ACESetPassword(handle, options.password.c_str());
    int processed;
    if (options.openMode == ACE_OPEN_LIST || options.skip.count(entry)) {
      processed = ACEProcessFile(handle, ACE_SKIP, nullptr);
    } else {
      const std::string target = TargetFor(targetFolder, entry);
      processed = ACEProcessFile(handle, options.operation, target.c_str());
    }
    result.processCodes.push_back(processed);
    if (processed != ACE_OK) {
      result.endCode = processed;
      break;
    }
  }
  ACECloseArchive(handle);
  return result;
}

inline std::string Posix(std::string path) {
  for (char& c : path)
    if (c == '\\') c = '/';
  return path;
}

// Every file and folder below `root`, as relative '/' paths.
inline std::set<std::string> TreeOf(const std::filesystem::path& root) {
  std::set<std::string> entries;
  for (const auto& item : std::filesystem::recursive_directory_iterator(root))
    entries.insert(Posix(std::filesystem::relative(item.path(), root).string()));
  return entries;
}

}  // namespace pelmora::unace::test
