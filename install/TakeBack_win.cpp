#include "install/TakeBack_win.h"

#include <windows.h>

#include <variant>

#include "contract/PathRules.h"
#include "contract/ProductFiles.h"
#include "uninstall/Removal_win.h"
#include "uninstall/UninstallPlan.h"
#include "winsupport/ComApartment_win.h"
#include "winsupport/Files_win.h"
#include "winsupport/Registry_win.h"
#include "winsupport/ResolvedPaths_win.h"
#include "winsupport/ShellFolders_win.h"

namespace pelmora::install {
namespace {

// The one way the run's taking back deletes: the uninstaller's removal, so
// that whatever guards its deletions guards these too.
uninstall::Outcome RemoveCreated(const uninstall::UninstallPlan& plan,
                                 const std::vector<contract::ServerDigest>& registered,
                                 const std::string& programsFolder) {
  // The run passed the folder check before it wrote (or has no more
  // rights than whoever could write the target).
  return uninstall::RemovePlanned(plan, registered, programsFolder, true,
                                  [](const std::string&) {});
}

}  // namespace

void NoteBeforeRegistration(const setupdesc::SetupDescription& description,
                            const std::string& uninstallKeyPath, const std::string& programsFolder,
                            FoundBeforeRun& before) {
  for (std::int32_t i = 1; i <= description.RegistryCount; ++i) {
    const std::string& line = description.RegistryLines[static_cast<std::size_t>(i)];
    if (!line.empty() && winsupport::RegKeyExists(HKEY_CURRENT_USER, line))
      before.userKeys.push_back(line);
  }
  if (winsupport::RegKeyExists(HKEY_LOCAL_MACHINE, uninstallKeyPath))
    before.machineKeys.push_back(uninstallKeyPath);
  if (winsupport::RegKeyExists(HKEY_CURRENT_USER, uninstallKeyPath))
    before.userKeys.push_back(uninstallKeyPath);
  const std::string group = description.IconCount >= 1 ? description.IconGroups[1] : "";
  bool found = !group.empty() && winsupport::IsExistingFolder(programsFolder + "\\" + group);
  // The Programs folder itself is always there: it counts as found when one
  // of the product's shortcuts in it is (an earlier installation's).
  for (std::int32_t i = 1; group.empty() && i <= description.IconCount; ++i) {
    const auto slot = static_cast<std::size_t>(i);
    found =
        found ||
        (description.IconGroups[slot].empty() &&
         winsupport::IsExistingFile(programsFolder + "\\" + description.IconNames[slot] + ".lnk"));
  }
  if (found) before.groups.push_back(group);
}

uninstall::Outcome TakeBack(const std::string& targetDir, const contract::Protocol& protocol,
                            const FoundBeforeRun& before,
                            const std::vector<contract::ServerDigest>& registered,
                            const std::string& productEntry, const std::string& programsFolder) {
  std::vector<std::string> servers;
  for (const contract::ServerDigest& server : registered) servers.push_back(server.path);
  // The block holds only what this run made: its entry, under whichever
  // root the run wrote it, is among that.
  auto planned = uninstall::PlanUninstall(targetDir + contract::kProtocolFileName,
                                          TakeBackBlock(protocol.Lines(), before, servers),
                                          winsupport::RunningSystemFolders(),
                                          {productEntry, productEntry});
  auto* plan = std::get_if<uninstall::UninstallPlan>(&planned);
  // The run checked the target against the same rule before it began.
  if (!plan) return {};
  plan->protocolFileStays = before.protocol;
  const winsupport::ComApartment com = winsupport::EnterComApartment();
  return RemoveCreated(*plan, registered, programsFolder);
}

}  // namespace pelmora::install
