#include "install/Shortcuts_win.h"

#include <windows.h>
#include <shlobj.h>

#include "install/ShellLink_win.h"
#include "install/UninstallValues.h"
#include "winsupport/ShellFolders.h"

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

}  // namespace

std::string StartMenuProgramsFolder() { return winsupport::ShellFolderPath(CSIDL_PROGRAMS); }

void CreateShortcuts(const std::string& targetDir, const std::string& windowsDir,
                     const std::string& programsFolder,
                     const setupdesc::SetupDescription& description,
                     std::vector<std::string>& protocol) {
  const std::string firstGroup = description.IconCount >= 1 ? description.IconGroups[1] : "";
  if (programsFolder.empty()) {
    protocol.push_back("g" + firstGroup);
    return;
  }
  const ComApartment com;
  // A fresh link object for each shortcut, so that nothing (an icon above
  // all) carries over from one shortcut to the next.
  for (std::int32_t i = 1; i <= description.IconCount; ++i) {
    const auto slot = static_cast<std::size_t>(i);
    const std::string folder = GroupFolder(programsFolder, description.IconGroups[slot]);
    ShellLink link;
    link.SetDescription(description.IconNames[slot]);
    link.SetArguments("");
    link.SetIconLocation(IconFile(targetDir, description.IconFiles[slot]), 0);
    link.SetWorkingDirectory(Quoted(targetDir));
    link.SetPath(Quoted(targetDir + description.IconTargets[slot]));
    link.SaveToFile(folder + "\\" + description.IconNames[slot] + ".lnk");
  }

  protocol.push_back("g" + firstGroup);

  ShellLink uninstall;
  uninstall.SetDescription(description.English ? "Uninstall" : "Deinstallieren");
  uninstall.SetArguments(Quoted(targetDir + "UnInstall.log"));
  uninstall.SetWorkingDirectory(Quoted(targetDir));
  uninstall.SetIconLocation("", 0);
  uninstall.SetPath(Quoted(windowsDir + kUninstallerFileName));
  uninstall.SaveToFile(GroupFolder(programsFolder, firstGroup) + "\\Uninstall.lnk");
}

}  // namespace pelmora::install
