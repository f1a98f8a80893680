// The target directory page. Its edit holds the target directory for the
// whole run; whenever the user leaves the page forwards, the text ends in "\".
#pragma once

#include <string>

#include "pages/WizardPage_win.h"

namespace pelmora::pages {

class TargetDirectoryPage : public WizardPage {
 public:
  explicit TargetDirectoryPage(const UiResources& resources)
      : WizardPage(TargetDirectoryLayout(), resources) {}

  std::string Directory() const { return Text(ids::kDirectory); }
  void SetDirectory(const std::string& text) { SetText(ids::kDirectory, text); }

 protected:
  void OnCommand(int id, int notification) override;
  void OnShown() override;

 private:
  void AppendBackslash();
  void Browse();
};

}  // namespace pelmora::pages
