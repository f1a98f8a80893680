// The welcome page: the main window. Its first showing runs the start-up
// work, which the program hands it.
#pragma once

#include <functional>
#include <string>

#include "pages/WizardPage_win.h"

namespace pelmora::pages {

class WelcomePage : public WizardPage {
 public:
  explicit WelcomePage(const UiResources& resources);

  void OnFirstShown(std::function<void()> work) { onFirstShown_ = std::move(work); }
  void OnAbout(std::function<void()> handler) { onAbout_ = std::move(handler); }

  void SetTitle(const std::string& productAndVersion) { SetText(ids::kAppName, productAndVersion); }
  void ShowTerminateNotice(const std::string& text);

 protected:
  void OnCommand(int id, int notification) override;
  void OnShown() override;

 private:
  std::function<void()> onFirstShown_;
  std::function<void()> onAbout_;
  bool shownBefore_ = false;
};

}  // namespace pelmora::pages
