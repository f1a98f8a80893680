// The about box: the setup program's name and version, a notice, and a link
// for mailing problem reports.
#pragma once

#include <string>

#include "pages/Window_win.h"

namespace pelmora::pages {

class AboutBox : public PageWindow {
 public:
  explicit AboutBox(const UiResources& resources);

  void SetVersion(const std::string& setupVersion);
  void Present() { RunModal(); }

 protected:
  void OnCommand(int id, int notification) override;
};

}  // namespace pelmora::pages
