// The finished page: ends the setup, optionally starting the installed program.
#pragma once

#include <string>

#include "pages/WizardPage_win.h"

namespace pelmora::pages {

class FinishedPage : public WizardPage {
 public:
  explicit FinishedPage(const UiResources& resources);

  // Asked after the page has been closed, so the box's own visibility
  // counts, not the page's.
  bool RunInstalledProgram() const {
    return (GetWindowLongA(Control(ids::kRunNow), GWL_STYLE) & WS_VISIBLE) &&
           IsChecked(ids::kRunNow);
  }
  // Without a main program there is nothing to start: the box goes.
  void OfferToRun(bool offer) { ShowControl(ids::kRunNow, offer); }
};

// Starts the program file `path` as a new process in this program's working
// directory without waiting for it; a failure is shown as
// "Error creating process " and the path.
void ExecNewProcess(const std::string& path);

}  // namespace pelmora::pages
