#include "pages/FinishedPage_win.h"

#include "common/WinHandle.h"
#include "winsupport/ErrorReport_win.h"

namespace pelmora::pages {

FinishedPage::FinishedPage(const UiResources& resources) : WizardPage(FinishedLayout(), resources) {
  SetChecked(ids::kRunNow, true);
}

void ExecNewProcess(const std::string& path) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(path.c_str(), nullptr, nullptr, nullptr, FALSE,
                      CREATE_NEW_PROCESS_GROUP | NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup,
                      &process)) {
    winsupport::ShowPlainMessage("Error creating process " + path);
    return;
  }
  // Not waited for; the setup ends right afterwards.
  win::UniqueHandle thread(process.hThread);
  win::UniqueHandle started(process.hProcess);
}

}  // namespace pelmora::pages
