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

// The reason on a line of its own, in Windows' words: whoever reads the box
// learns whether the file is missing, no program or refused.
void ShowNotCreated(const std::string& path) {
  const DWORD error = ::GetLastError();
  winsupport::ShowPlainMessage("Error creating process " + path + "\n\n" +
                               winsupport::SystemErrorText(error, path));
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
      // Not every Windows says why; a file that is there then is no program.
      if (::GetLastError() == ERROR_SUCCESS)
        ::SetLastError(::GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES
                           ? ::GetLastError()
                           : ERROR_BAD_EXE_FORMAT);
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
