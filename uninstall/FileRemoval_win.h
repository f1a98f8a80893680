// Deleting the product's files and folders below its target folder. Each
// path has passed the plan's rules; here the file system gets its say. The
// target folder and the folders above it may be writable by every user,
// who could swap any of them for a junction or symbolic link at any
// moment: so each deletion walks from the drive root down to the item
// through held folders that cannot be renamed meanwhile, none of them a
// link, and deletes the item through its own handle
// (winsupport/HeldFolders_win.h). A file in use stays and is listed;
// nothing is left for a deletion at the next restart, which would run with
// the system's rights after the folders may have changed again. A folder
// that still holds files is the user's. Windows only.
#pragma once

#include <functional>
#include <string>

#include "uninstall/Outcome.h"
#include "winsupport/HeldFolders_win.h"

namespace pelmora::uninstall {

class FileRemoval {
 public:
  // Called right before each deletion with its path, before the way to it
  // is opened: the seam through which tests change the folders at the
  // worst moment. whileHeld is called once the folders above the item are
  // held (winsupport::WhileHeld), where tests try to change them again.
  using BeforeDeletion = std::function<void(const std::string& path)>;

  // targetFolder ends in "\"; what stays is added to outcome.left, what
  // goes is counted there.
  FileRemoval(std::string targetFolder, Outcome& outcome, BeforeDeletion beforeDeletion = {},
              winsupport::WhileHeld whileHeld = {});

  enum class Result { Removed, Missing, IsFolder, Left };

  // A folder is not touched (IsFolder): the protocol records some folders as
  // files, and folders go last.
  Result RemoveFile(const std::string& path);

  // Removes an empty folder; a file recorded as a folder goes as a file.
  Result RemoveFolder(const std::string& path);

  // A folder the setup made above the target: removed when empty, and
  // otherwise left without a word (it may hold other products by now).
  void RemoveParent(const std::string& folder);

  // Whether the target folder or a folder between it and path is a
  // junction or symbolic link (then path is listed as left), as it is now.
  bool ReachedThroughLink(const std::string& path) const;

 private:
  Result Remove(const std::string& path, winsupport::HeldItem item);

  std::string target_;
  Outcome& outcome_;
  BeforeDeletion beforeDeletion_;
  winsupport::WhileHeld whileHeld_;
};

}  // namespace pelmora::uninstall
