// Deleting the product's files and folders below its target folder. Each
// path has passed the plan's rules; here the file system gets its say: a
// junction or symbolic link on the way from the target folder would lead
// the deletion elsewhere, a file in use is removed at the next restart, a
// folder that still holds files is the user's. Windows only.
#pragma once

#include <map>
#include <set>
#include <string>

#include "uninstall/Outcome.h"

namespace pelmora::uninstall {

class FileRemoval {
 public:
  // targetFolder ends in "\"; what stays is added to outcome.left, what
  // goes is counted there.
  FileRemoval(std::string targetFolder, Outcome& outcome);

  enum class Result { Removed, Missing, IsFolder, Left };

  // A folder is not touched (IsFolder): the protocol records some folders as
  // files, and folders go last.
  Result RemoveFile(const std::string& path);

  // Removes an empty folder; a file recorded as a folder goes as a file.
  Result RemoveFolder(const std::string& path);

  // Whether the target folder or a folder between it and path is a
  // junction or symbolic link (then path is listed as left).
  bool ReachedThroughLink(const std::string& path);

 private:
  bool IsLink(const std::string& folder);
  // Removes at the next restart what is left, when that is only files and
  // folders already waiting for it.
  bool ScheduleWhenOnlyScheduledLeft(const std::string& folder);
  void Leave(const std::string& path, Reason reason, unsigned long errorCode = 0);

  std::string target_;
  Outcome& outcome_;
  std::map<std::string, bool> linkFolders_;  // folder -> is a reparse point, as first seen
  std::set<std::string> scheduled_;          // removed at the next restart (upper case)
};

}  // namespace pelmora::uninstall
