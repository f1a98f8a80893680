// What a run takes back when it can write no protocol at all (a full or
// vanished drive): nothing would remove what it made, so it removes it
// itself, through the uninstaller's own plan and removal. Only what the run
// created goes; what was there before it stays:
// - a file the run overwrote was there before: it stays, in its new
//   content (the old one is gone, and an earlier installation's protocol
//   may name it);
// - a folder, registry key or Start-menu group that existed stays, and so
//   does whatever it holds that the run did not make;
// - a COM server is unregistered only when this run registered it and its
//   file is new.
// The run's recorded protocol lines are the list; this part only leaves
// out what was there before. Portable.
#pragma once

#include <string>
#include <vector>

namespace pelmora::install {

// What the run found before it made anything, in the protocol's words.
struct FoundBeforeRun {
  std::vector<std::string> paths;        // files and folders, full paths
  std::vector<std::string> machineKeys;  // below HKEY_LOCAL_MACHINE
  std::vector<std::string> userKeys;     // below HKEY_CURRENT_USER
  std::vector<std::string> groups;       // Start-menu groups, as the "g" line names them
  bool protocol = false;                 // the target's protocol file
};

// The run's protocol lines as a block of their own for the uninstaller's
// plan: every line of something this run created, and the header with the
// target folder's line (the folder goes only when empty). registeredServers
// are the paths of the COM servers this run registered.
std::string TakeBackBlock(const std::vector<std::string>& lines, const FoundBeforeRun& before,
                          const std::vector<std::string>& registeredServers);

}  // namespace pelmora::install
