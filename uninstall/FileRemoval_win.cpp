#include "uninstall/FileRemoval_win.h"

#include <windows.h>

#include <variant>

#include "winsupport/Files_win.h"

namespace pelmora::uninstall {
namespace {

// What Windows answers for a file another program holds open (a running
// program's own file is refused outright).
bool InUse(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
         error == ERROR_ACCESS_DENIED;
}

}  // namespace

FileRemoval::FileRemoval(std::string targetFolder, Outcome& outcome, BeforeDeletion beforeDeletion,
                         winsupport::WhileHeld whileHeld)
    : target_(std::move(targetFolder)),
      outcome_(outcome),
      beforeDeletion_(std::move(beforeDeletion)),
      whileHeld_(std::move(whileHeld)) {}

bool FileRemoval::ReachedThroughLink(const std::string& path) const {
  return winsupport::PassesThroughLink(target_, path);
}

FileRemoval::Result FileRemoval::Remove(const std::string& path, winsupport::HeldItem item) {
  if (beforeDeletion_) beforeDeletion_(path);
  // From the drive root: a link above the target leads out of it as surely
  // as one below.
  const auto deleted =
      winsupport::DeleteHeld(winsupport::DriveRootOf(path), path, item, whileHeld_);
  if (const auto* what = std::get_if<winsupport::Deleted>(&deleted)) {
    outcome_.Gone(*what == winsupport::Deleted::Folder ? Kind::Folder : Kind::File, path);
    return Result::Removed;
  }
  const DWORD error = std::get<common::WinFailure>(deleted).code;
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return Result::Missing;
    case ERROR_DIRECTORY:
      return Result::IsFolder;
    case winsupport::kReachedThroughLink:
      outcome_.Leave(Reason::ThroughLink, path);
      break;
    case ERROR_DIR_NOT_EMPTY:
      outcome_.Leave(Reason::NotEmpty, path);
      break;
    default:
      outcome_.Leave(InUse(error) ? Reason::InUse : Reason::Failed, path, error);
  }
  return Result::Left;
}

FileRemoval::Result FileRemoval::RemoveFile(const std::string& path) {
  return Remove(path, winsupport::HeldItem::File);
}

FileRemoval::Result FileRemoval::RemoveFolder(const std::string& path) {
  return Remove(path, winsupport::HeldItem::FileOrFolder);
}

void FileRemoval::RemoveParent(const std::string& folder) {
  if (beforeDeletion_) beforeDeletion_(folder);
  const auto deleted = winsupport::DeleteHeld(winsupport::DriveRootOf(folder), folder,
                                              winsupport::HeldItem::Folder, whileHeld_);
  if (std::get_if<winsupport::Deleted>(&deleted)) outcome_.Gone(Kind::Folder, folder);
}

}  // namespace pelmora::uninstall
