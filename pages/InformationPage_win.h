// The information page: the product's information text in a read-only memo.
#pragma once

#include <string>
#include <vector>

#include "pages/WizardPage_win.h"

namespace pelmora::pages {

class InformationPage : public WizardPage {
 public:
  explicit InformationPage(const UiResources& resources)
      : WizardPage(InformationLayout(), resources) {}

  void SetLines(const std::vector<std::string>& lines);
  // The page takes part in the way only when this holds.
  bool FirstLineNotEmpty() const;
};

}  // namespace pelmora::pages
