// The existing-installation page: names the situation the two versions
// make (repair, update, downgrade) and offers its two choices.
#pragma once

#include <optional>
#include <string>

#include "pages/ExistingInstallation.h"
#include "pages/WizardPage_win.h"

namespace pelmora::pages {

class ExistingInstallationPage : public WizardPage {
 public:
  explicit ExistingInstallationPage(const UiResources& resources);

  // What the first showing compares; set by the start-up work.
  void SetVersions(std::string productVersion, std::string installedVersion, bool english);

  // Next: the mode that follows from the situation and the current choice.
  ChoiceOutcome Decide(contract::InstallMode currentMode) const;

 protected:
  void OnCommand(int id, int notification) override;
  void OnShown() override;
  void OnRescaled() override { PlaceChoices(); }

 private:
  void PlaceChoices();

  std::string productVersion_;
  std::string installedVersion_;
  bool english_ = false;
  // Set once the texts are in place; a failed comparison leaves it empty
  // and the next showing tries again.
  std::optional<Situation> situation_;
};

}  // namespace pelmora::pages
