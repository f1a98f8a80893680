// The installation page. When shown it waits a second for the screen to
// settle, then runs the installation once; its Cancel button appears only
// when the extraction reports a problem.
#pragma once

#include <functional>
#include <string>

#include "pages/ControlIds.h"
#include "contract/InstallMode.h"
#include "pages/Window_win.h"

namespace pelmora::install {

class InstallationPage : public pages::PageWindow {
 public:
  explicit InstallationPage(const pages::UiResources& resources);

  // The run, started by the page's timer; and what Cancel does.
  void OnRun(std::function<void()> run) { run_ = std::move(run); }
  void OnCancel(std::function<void()> cancel) { cancel_ = std::move(cancel); }

  contract::InstallMode& Mode() { return mode_; }
  // When the page was last shown: the run's start time.
  DWORD ShownAt() const { return shownAt_; }
  void SetStatus(const std::string& text) { SetText(pages::ids::kStatus, text); }
  void SetProgress(int percent);
  void ShowCancel() {
    ShowControl(pages::ids::kInstallCancel, true);
    cancelShown_ = true;
  }

 protected:
  void OnShown() override;
  void OnTimer(UINT_PTR id) override;
  void OnCommand(int id, int notification) override;
  // Escape and the close box are Cancel, once Cancel is there to press.
  void OnEscape() override;
  void OnCloseRequest() override;

 private:
  static constexpr UINT_PTR kStartTimer = 1;
  std::function<void()> run_;
  std::function<void()> cancel_;
  contract::InstallMode mode_ = contract::InstallMode::Update;
  DWORD shownAt_ = 0;
  bool cancelShown_ = false;
};

}  // namespace pelmora::install
