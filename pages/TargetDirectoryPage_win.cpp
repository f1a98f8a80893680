#include "pages/TargetDirectoryPage_win.h"

#include <algorithm>

#include "contract/PathRules.h"
#include "pages/FolderDialog_win.h"
#include "pages/TargetTexts.h"
#include "winsupport/ErrorReport_win.h"
#include "winsupport/ResolvedPaths_win.h"
#include "winsupport/FolderSecurity_win.h"
#include "winsupport/ShellFolders_win.h"
#include "winsupport/SystemInfo_win.h"

namespace pelmora::pages {

void TargetDirectoryPage::AppendBackslash() {
  // Windows takes "/" between folders too; the setup and the uninstaller
  // write and compare the one form.
  std::string text = Directory();
  std::replace(text.begin(), text.end(), '/', '\\');
  if (text.empty() || text.back() != '\\') text += '\\';
  if (text != Directory()) SetDirectory(text);
}

void TargetDirectoryPage::OnShown() { AppendBackslash(); }

void TargetDirectoryPage::OnCommand(int id, int notification) {
  if (notification == BN_CLICKED && id == ids::kBrowse) {
    Browse();
    return;
  }
  // A folder the product may not go into: the user is told why and stays.
  if (notification == BN_CLICKED && id == ids::kNext && !Directory().empty()) {
    // Judged as Windows resolves it: "C:\PROGRA~1" is the program folder.
    auto refusal =
        winsupport::CheckResolvedTarget(Directory(), winsupport::RunningSystemFolders());
    // Elevated, the folders on the way must be the administrators' alone.
    if (!refusal && winsupport::RunsWithAdministratorRights())
      refusal = winsupport::CheckFolderChain(Directory());
    if (refusal) {
      winsupport::ShowPlainMessage(TargetRefusedText(*refusal, English()));
      return;
    }
  }
  WizardPage::OnCommand(id, notification);
}

void TargetDirectoryPage::Browse() {
  std::string path = Directory();
  if (!path.empty() && path.back() == '\\') path.pop_back();
  if (path.empty())
    return winsupport::ShowErrorReport("Das Verzeichnis kann nicht erstellt werden");
  // The dialog can preselect only a folder that exists.
  const std::vector<std::string> created = CreateFolderToPreselect(path);
  const std::optional<std::string> chosen = BrowseForDirectory(Handle(), "Zielverzeichnis:", path);
  if (chosen) SetDirectory(*chosen + "\\");
  // Another folder was chosen: the one made for the preselection goes again,
  // if this Browse made it and nothing has been put into it. A folder that
  // was there before (perhaps an installation) is never touched.
  if (chosen && *chosen != path && std::find(created.begin(), created.end(), path) != created.end())
    RemoveDirectoryA(path.c_str());
}

}  // namespace pelmora::pages
