// A page of the wizard: a window whose Next, Back and Cancel buttons are
// reported to the one who leads the way through the pages.
#pragma once

#include <functional>
#include <utility>

#include "pages/ControlIds.h"
#include "pages/Window_win.h"

namespace pelmora::pages {

enum class PageButton { Next, Back, Cancel };

class WizardPage : public PageWindow {
 public:
  using ButtonHandler = std::function<void(PageButton)>;

  WizardPage(const WindowLayout& layout, const UiResources& resources)
      : PageWindow(layout, resources) {}
  void OnButton(ButtonHandler handler) { onButton_ = std::move(handler); }

 protected:
  void Report(PageButton button) {
    if (onButton_) onButton_(button);
  }
  void OnCommand(int id, int notification) override {
    if (notification != BN_CLICKED) return;
    if (id == ids::kNext) Report(PageButton::Next);
    if (id == ids::kBack) Report(PageButton::Back);
    if (id == ids::kCancel) Report(PageButton::Cancel);
  }
  // Alt+F4 on a page without close box: as Cancel, which ends the setup.
  void OnCloseRequest() override { Report(PageButton::Cancel); }

 private:
  ButtonHandler onButton_;
};

}  // namespace pelmora::pages
