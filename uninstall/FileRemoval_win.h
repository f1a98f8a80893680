// Deleting the product's files and folders below its target folder. Each
// path has passed the plan's rules; here the file system gets its say. The
// target folder may be writable by every user, who could swap any folder on
// the way for a junction or symbolic link at any moment: so right before
// each deletion every folder from the target down to the path is checked,
// and a file is deleted through a handle that does not follow a link. A
// file in use stays and is listed; nothing is left for a deletion at the
// next restart, which would run with the system's rights after the folders
// may have changed again. A folder that still holds files is the user's.
// Windows only.
#pragma once

#include <functional>
#include <string>

#include "uninstall/Outcome.h"

namespace pelmora::uninstall {

class FileRemoval {
 public:
  // Called right before each deletion with its path, before the way to it
  // is checked once more: the seam through which tests change the folders
  // at the worst moment.
  using BeforeDeletion = std::function<void(const std::string& path)>;
  // Whether a folder between base and path is a junction or symbolic link
  // now (winsupport::PassesThroughLink); tests that run where no link can
  // be made stand in for the file system here.
  using LinkProbe = std::function<bool(const std::string& base, const std::string& path)>;

  // targetFolder ends in "\"; what stays is added to outcome.left, what
  // goes is counted there.
  FileRemoval(std::string targetFolder, Outcome& outcome, BeforeDeletion beforeDeletion = {},
              LinkProbe passesThroughLink = {});

  enum class Result { Removed, Missing, IsFolder, Left };

  // A folder is not touched (IsFolder): the protocol records some folders as
  // files, and folders go last.
  Result RemoveFile(const std::string& path);

  // Removes an empty folder; a file recorded as a folder goes as a file.
  Result RemoveFolder(const std::string& path);

  // Whether the target folder or a folder between it and path is a
  // junction or symbolic link (then path is listed as left), as it is now.
  bool ReachedThroughLink(const std::string& path) const;

 private:
  Result DeleteFileNotFollowingLinks(const std::string& path);

  std::string target_;
  Outcome& outcome_;
  BeforeDeletion beforeDeletion_;
  LinkProbe passesThroughLink_;
};

}  // namespace pelmora::uninstall
