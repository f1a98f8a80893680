// The small window the removal shows: what is being removed and a bar over
// the plan's steps. It has no Cancel: a removal half done is worse than one
// done. Windows only.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

#include "common/DpiScale.h"
#include "common/WinHandle.h"
#include "winsupport/MessageLoop_win.h"

namespace pelmora::uninstall {

class ProgressWindow {
 public:
  // Shown at once, centred on the screen, scaled to its monitor's DPI. A window that cannot be made
  // leaves every call without effect: the removal goes on without it.
  ProgressWindow(HINSTANCE instance, const std::string& caption, std::size_t steps);
  ~ProgressWindow();
  ProgressWindow(const ProgressWindow&) = delete;
  ProgressWindow& operator=(const ProgressWindow&) = delete;

  // Counts a step; shows text, moves the bar to the steps counted and lets
  // the window repaint, at most once per Pacer interval.
  void Step(const std::string& text);

  // The bar at its end and text shown, the window kept for the summary to
  // stand over.
  void Finish(const std::string& text);

  HWND Handle() const { return window_.Get(); }

 private:
  static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam,
                                          LPARAM lParam) noexcept;
  // Sizes the window and places its controls and font for `scale`, at
  // `suggested` when Windows names a place.
  void LayOut(common::DpiScale scale, const RECT* suggested);

  // Before the window: the label uses the font until the window is gone.
  win::GdiObject font_;
  win::UniqueWindow window_;
  HWND label_ = nullptr;
  HWND bar_ = nullptr;
  std::size_t steps_ = 0;
  std::size_t done_ = 0;
  winsupport::Pacer pace_;
};

}  // namespace pelmora::uninstall
