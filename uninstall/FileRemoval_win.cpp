#include "uninstall/FileRemoval_win.h"

#include <windows.h>

#include "common/WinHandle.h"
#include "winsupport/AnsiText.h"

namespace pelmora::uninstall {
namespace {

// What Windows answers for a file another program holds open.
bool InUse(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
         error == ERROR_ACCESS_DENIED;
}

}  // namespace

FileRemoval::FileRemoval(std::string targetFolder, Outcome& outcome)
    : target_(std::move(targetFolder)), outcome_(outcome) {}

void FileRemoval::Leave(const std::string& path, Reason reason, unsigned long errorCode) {
  outcome_.left.push_back({path, reason, static_cast<std::uint32_t>(errorCode)});
}

bool FileRemoval::IsLink(const std::string& folder) {
  const std::string key = winsupport::UpperAnsi(folder);
  const auto known = linkFolders_.find(key);
  if (known != linkFolders_.end()) return known->second;
  const DWORD attributes = ::GetFileAttributesA(folder.c_str());
  const bool link =
      attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  linkFolders_.emplace(key, link);
  return link;
}

bool FileRemoval::ReachedThroughLink(const std::string& path) {
  // The target without its "\", then each folder below it up to path's own.
  const std::string folder = target_.substr(0, target_.size() - 1);
  if (IsLink(folder)) return true;
  for (std::size_t at = path.find('\\', target_.size()); at != std::string::npos;
       at = path.find('\\', at + 1))
    if (IsLink(path.substr(0, at))) return true;
  return false;
}

bool FileRemoval::ScheduleWhenOnlyScheduledLeft(const std::string& folder) {
  if (scheduled_.empty()) return false;
  WIN32_FIND_DATAA found{};
  const win::FindHandle search(::FindFirstFileA((folder + "\\*").c_str(), &found));
  if (!search) return false;
  do {
    const std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    if (scheduled_.count(winsupport::UpperAnsi(folder + "\\" + name)) == 0) return false;
  } while (::FindNextFileA(search.Get(), &found));
  // Windows works through the list in order: the files first, then this.
  if (!::MoveFileExA(folder.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) return false;
  scheduled_.insert(winsupport::UpperAnsi(folder));
  return true;
}

FileRemoval::Result FileRemoval::RemoveFile(const std::string& path) {
  if (ReachedThroughLink(path)) {
    Leave(path, Reason::ThroughLink);
    return Result::Left;
  }
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return Result::Missing;
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return Result::IsFolder;
  if (::DeleteFileA(path.c_str())) {
    ++outcome_.removed.files;
    return Result::Removed;
  }
  DWORD error = ::GetLastError();
  // The archive may have carried read-only files.
  if (error == ERROR_ACCESS_DENIED && (attributes & FILE_ATTRIBUTE_READONLY) != 0 &&
      ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL)) {
    if (::DeleteFileA(path.c_str())) {
      ++outcome_.removed.files;
      return Result::Removed;
    }
    error = ::GetLastError();
  }
  if (InUse(error) && ::MoveFileExA(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) {
    scheduled_.insert(winsupport::UpperAnsi(path));
    Leave(path, Reason::InUse);
    return Result::Left;
  }
  Leave(path, Reason::Failed, error);
  return Result::Left;
}

FileRemoval::Result FileRemoval::RemoveFolder(const std::string& path) {
  if (ReachedThroughLink(path)) {
    Leave(path, Reason::ThroughLink);
    return Result::Left;
  }
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return Result::Missing;
  // A file without an extension is recorded as a folder.
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return RemoveFile(path);
  if (::RemoveDirectoryA(path.c_str())) {
    ++outcome_.removed.folders;
    return Result::Removed;
  }
  const DWORD error = ::GetLastError();
  if (error == ERROR_DIR_NOT_EMPTY && ScheduleWhenOnlyScheduledLeft(path))
    Leave(path, Reason::HoldsFileInUse);
  else if (error == ERROR_DIR_NOT_EMPTY)
    Leave(path, Reason::NotEmpty);
  else
    Leave(path, Reason::Failed, error);
  return Result::Left;
}

}  // namespace pelmora::uninstall
