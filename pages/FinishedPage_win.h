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

// Starts the program file `path` without waiting for it, with the rights
// of the user who started the setup. Not elevated: as a new process in
// this program's working directory; a failure is shown as "Error creating
// process " and the path, with Windows' reason below. Elevated: through the
// desktop's shell, in the program's own folder
// (winsupport::StartAsDesktopUser); where the shell cannot, the program is
// not started and a notice in the setup's language says so.
void ExecNewProcess(const std::string& path, bool english);

}  // namespace pelmora::pages
