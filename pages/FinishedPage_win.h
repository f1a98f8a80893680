// The finished page: ends the setup, optionally starting the installed program.
#pragma once

#include <string>

#include "pages/WizardPage_win.h"

namespace pelmora::pages {

class FinishedPage : public WizardPage {
 public:
  explicit FinishedPage(const UiResources& resources);

  bool RunInstalledProgram() const {
    return IsWindowVisible(Control(ids::kRunNow)) && IsChecked(ids::kRunNow);
  }
  // Without a main program there is nothing to start: the box goes.
  void OfferToRun(bool offer) { ShowControl(ids::kRunNow, offer); }
};

// Starts the program file `path` as a new process in this program's working
// directory without waiting for it; a failure is shown as
// "Error creating process " and the path.
void ExecNewProcess(const std::string& path);

}  // namespace pelmora::pages
