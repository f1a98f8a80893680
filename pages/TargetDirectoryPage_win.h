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
  // The edit's text ends in "" from here on (the way forward adds it).
  void AppendBackslash();

 protected:
  void OnCommand(int id, int notification) override;
  void OnShown() override;

 private:
  void Browse();
};

}  // namespace pelmora::pages
