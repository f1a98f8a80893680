#include "pages/WelcomePage_win.h"

namespace pelmora::pages {

WelcomePage::WelcomePage(const UiResources& resources) : WizardPage(WelcomeLayout(), resources) {}

void WelcomePage::ShowTerminateNotice(const std::string& text) {
  SetText(ids::kTerminateInfo, text);
  ShowControl(ids::kTerminateInfo, true);
  UpdateWindow(Handle());
}

void WelcomePage::OnCommand(int id, int notification) {
  if (id == ids::kAbout && notification == STN_CLICKED) {
    if (onAbout_) onAbout_();
    return;
  }
  WizardPage::OnCommand(id, notification);
}

void WelcomePage::OnShown() {
  // Later showings, after Back, repeat nothing.
  if (shownBefore_) return;
  shownBefore_ = true;
  if (onFirstShown_) onFirstShown_();
}

}  // namespace pelmora::pages
