#include "uninstall/FileRemoval_win.h"

#include <windows.h>

#include "common/WinHandle.h"
#include "winsupport/Files_win.h"

namespace pelmora::uninstall {
namespace {

// What Windows answers for a file another program holds open (a running
// program's own file is refused outright).
bool InUse(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
         error == ERROR_ACCESS_DENIED;
}

// The file itself, a link itself: never what a link points to.
win::UniqueHandle OpenForDeletion(const std::string& path) {
  return win::UniqueHandle(::CreateFileA(
      path.c_str(), DELETE | FILE_READ_ATTRIBUTES,
      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
      FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_DELETE_ON_CLOSE,
      nullptr));
}

}  // namespace

FileRemoval::FileRemoval(std::string targetFolder, Outcome& outcome, BeforeDeletion beforeDeletion,
                         LinkProbe passesThroughLink)
    : target_(std::move(targetFolder)),
      outcome_(outcome),
      beforeDeletion_(std::move(beforeDeletion)),
      passesThroughLink_(passesThroughLink ? std::move(passesThroughLink)
                                           : LinkProbe(winsupport::PassesThroughLink)) {}

bool FileRemoval::ReachedThroughLink(const std::string& path) const {
  return passesThroughLink_(target_, path);
}

FileRemoval::Result FileRemoval::DeleteFileNotFollowingLinks(const std::string& path) {
  if (beforeDeletion_) beforeDeletion_(path);
  // Checked again now: the folders may have changed since the plan was made.
  if (ReachedThroughLink(path)) {
    outcome_.Leave(Reason::ThroughLink, path);
    return Result::Left;
  }
  win::UniqueHandle file = OpenForDeletion(path);
  DWORD error = ::GetLastError();
  if (!file && error == ERROR_ACCESS_DENIED) {
    // The archive may have carried read-only files, which refuse deletion.
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0 &&
        (attributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) == 0 &&
        ::SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY)) {
      file = OpenForDeletion(path);
      error = ::GetLastError();
    }
  }
  if (!file) {
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return Result::Missing;
    outcome_.Leave(InUse(error) ? Reason::InUse : Reason::Failed, path, error);
    return Result::Left;
  }
  // Closing the handle deletes the file (or the link it was opened as).
  if (const auto failure = win::CloseChecked(std::move(file), path)) {
    outcome_.Leave(Reason::Failed, path, failure->code);
    return Result::Left;
  }
  ++outcome_.removed.files;
  return Result::Removed;
}

FileRemoval::Result FileRemoval::RemoveFile(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return Result::Missing;
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
      (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
    return Result::IsFolder;
  return DeleteFileNotFollowingLinks(path);
}

FileRemoval::Result FileRemoval::RemoveFolder(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return Result::Missing;
  // A file without an extension is recorded as a folder.
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return DeleteFileNotFollowingLinks(path);
  if (beforeDeletion_) beforeDeletion_(path);
  if (ReachedThroughLink(path)) {
    outcome_.Leave(Reason::ThroughLink, path);
    return Result::Left;
  }
  // An empty folder. A junction or symbolic link in the folder's place is
  // removed as itself: removing a folder never follows a link and never
  // touches what a link points to.
  if (::RemoveDirectoryA(path.c_str())) {
    ++outcome_.removed.folders;
    return Result::Removed;
  }
  const DWORD error = ::GetLastError();
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
    outcome_.Leave(Reason::ThroughLink, path);
  else if (error == ERROR_DIR_NOT_EMPTY)
    outcome_.Leave(Reason::NotEmpty, path);
  else
    outcome_.Leave(Reason::Failed, path, error);
  return Result::Left;
}

}  // namespace pelmora::uninstall
