#include "install/Shortcuts_win.h"

#include <windows.h>

#include <variant>

#include "contract/PathRules.h"
#include "contract/ProductFiles.h"
#include "contract/UninstallEntry.h"
#include "winsupport/ErrorReport_win.h"
#include "winsupport/ComApartment_win.h"
#include "winsupport/Files_win.h"
#include "winsupport/ShellLink_win.h"

namespace pelmora::install {
namespace {

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// programsFolder + "\" + group, with every missing level made; the group
// may name nested folders. Failures show later as a link that is not saved.
std::string GroupFolder(const std::string& programsFolder, const std::string& group) {
  if (group.empty()) return programsFolder;
  std::string folder = programsFolder;
  std::size_t start = 0;
  while (start <= group.size()) {
    std::size_t end = group.find('\\', start);
    if (end == std::string::npos) end = group.size();
    if (end > start) {
      folder += "\\" + group.substr(start, end - start);
      ::CreateDirectoryA(folder.c_str(), nullptr);
    }
    start = end + 1;
  }
  return folder;
}

// "icon" is the description's word for none.
std::string IconFile(const std::string& targetDir, const std::string& entry) {
  if (entry.empty() || entry == "icon") return {};
  return targetDir + entry;
}

// Saves the link, or tells the step which one it could not save.
void Save(winsupport::ShellLink& link, const std::string& file, StepReport& report) {
  if (auto failure = link.SaveToFile(file)) return static_cast<void>(report.Fail(*failure));
  winsupport::ReportLog().Line("shortcuts: \"" + file + "\"");
}

}  // namespace

void CreateShortcuts(const std::string& targetDir, const std::string& windowsDir,
                     const std::string& programsFolder,
                     const setupdesc::SetupDescription& description, StepReport& report) {
  const std::string firstGroup = description.IconCount >= 1 ? description.IconGroups[1] : "";
  // Groups and names by the one name rule: a group that climbs out of the
  // Programs folder or a name Windows would change is no shortcut's place.
  const auto refused = [&](const std::string& group, const std::string& name) {
    if (std::holds_alternative<std::string>(contract::CheckGroupName(group)) &&
        !contract::NameProblem(name))
      return false;
    report.Fail({common::WinFailure::Subject::File, group + "\\" + name, ERROR_INVALID_NAME});
    return true;
  };
  if (programsFolder.empty()) {
    report.Protocol().AddGroup(firstGroup);
    // The shell could not name the folder.
    report.Fail({common::WinFailure::Subject::File, "", ERROR_PATH_NOT_FOUND});
    return;
  }
  const winsupport::ComApartment com = winsupport::EnterComApartment();
  // A fresh link object for each shortcut, so that nothing (an icon above
  // all) carries over from one shortcut to the next.
  for (std::int32_t i = 1; i <= description.IconCount; ++i) {
    const auto slot = static_cast<std::size_t>(i);
    if (refused(description.IconGroups[slot], description.IconNames[slot])) continue;
    const std::string folder = GroupFolder(programsFolder, description.IconGroups[slot]);
    winsupport::ShellLink link;
    link.SetDescription(description.IconNames[slot]);
    link.SetArguments("");
    link.SetIconLocation(IconFile(targetDir, description.IconFiles[slot]), 0);
    link.SetWorkingDirectory(Quoted(targetDir));
    link.SetPath(Quoted(targetDir + description.IconTargets[slot]));
    Save(link, folder + "\\" + description.IconNames[slot] + ".lnk", report);
  }

  // No uninstall shortcut and no group line for a group the rule refuses.
  if (refused(firstGroup, "Uninstall")) return;
  report.Protocol().AddGroup(firstGroup);

  // Like the Uninstall entry: no shortcut to an uninstaller that is not there.
  if (!winsupport::IsExistingFile(windowsDir + contract::kUninstallerFileName)) return;
  winsupport::ShellLink uninstall;
  uninstall.SetDescription(description.English ? "Uninstall" : "Deinstallieren");
  uninstall.SetArguments(contract::UninstallArgument(targetDir));
  uninstall.SetWorkingDirectory(Quoted(targetDir));
  uninstall.SetIconLocation("", 0);
  uninstall.SetPath(Quoted(windowsDir + contract::kUninstallerFileName));
  Save(uninstall, GroupFolder(programsFolder, firstGroup) + "\\Uninstall.lnk", report);
}

}  // namespace pelmora::install
