#include "pages/FinishedPage_win.h"

#include "common/WinHandle.h"
#include "winsupport/DesktopShell_win.h"
#include "winsupport/ErrorReport_win.h"

namespace pelmora::pages {
namespace {

std::string NotStartedText(const std::string& path, bool english) {
  return english ? "The program " + path +
                       " was not started: this setup runs with administrator rights, and the "
                       "desktop could not start it with your own rights. Please start it yourself."
                 : "Das Programm " + path +
                       " wurde nicht gestartet: Dieses Setup läuft mit Administratorrechten, und "
                       "der Desktop konnte es nicht mit Ihren eigenen Rechten starten. Bitte "
                       "starten Sie es selbst.";
}

std::string FolderOf(const std::string& path) {
  const std::size_t cut = path.rfind('\\');
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

void ShowNotCreated(const std::string& path) {
  winsupport::ShowPlainMessage("Error creating process " + path);
}

}  // namespace

FinishedPage::FinishedPage(const UiResources& resources) : WizardPage(FinishedLayout(), resources) {
  SetChecked(ids::kRunNow, true);
}

void ExecNewProcess(const std::string& path, bool english) {
  // An elevated setup's own child would run as administrator; the desktop's
  // shell starts it with the rights of the user who started the setup. Where
  // it cannot, the program is not started at all.
  if (winsupport::RunsElevated()) {
    // The shell starts a program later, in its own process, and tells no one
    // when it cannot: a file that is no program gets the message any failed
    // start gets, here and now.
    DWORD kind = 0;
    if (!::GetBinaryTypeA(path.c_str(), &kind)) {
      ShowNotCreated(path);
      return;
    }
    if (winsupport::StartAsDesktopUser(path, FolderOf(path)))
      winsupport::ShowPlainMessage(NotStartedText(path, english));
    return;
  }
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(path.c_str(), nullptr, nullptr, nullptr, FALSE,
                      CREATE_NEW_PROCESS_GROUP | NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup,
                      &process)) {
    ShowNotCreated(path);
    return;
  }
  // Not waited for; the setup ends right afterwards.
  win::UniqueHandle thread(process.hThread);
  win::UniqueHandle started(process.hProcess);
}

}  // namespace pelmora::pages
