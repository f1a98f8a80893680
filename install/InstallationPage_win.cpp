#include "install/InstallationPage_win.h"

#include <commctrl.h>

namespace pelmora::install {

InstallationPage::InstallationPage(const pages::UiResources& resources)
    : PageWindow(pages::InstallationLayout(), resources) {}

void InstallationPage::SetProgress(int percent) {
  SendMessageA(Control(pages::ids::kProgress), PBM_SETPOS, static_cast<WPARAM>(percent), 0);
}

void InstallationPage::OnShown() {
  shownAt_ = GetTickCount();
  SetTimer(Handle(), kStartTimer, 1000, nullptr);
}

void InstallationPage::OnTimer(UINT_PTR id) {
  if (id != kStartTimer) return;
  // Off first, so that the run, which lets messages through, cannot start twice.
  KillTimer(Handle(), kStartTimer);
  if (run_) run_();
}

void InstallationPage::OnCommand(int id, int notification) {
  if (id == pages::ids::kInstallCancel && notification == BN_CLICKED && cancel_) cancel_();
}

void InstallationPage::OnEscape() {
  if (cancelShown_ && cancel_) cancel_();
}

void InstallationPage::OnCloseRequest() { OnEscape(); }

}  // namespace pelmora::install
