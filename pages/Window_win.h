// A top-level window of the wizard built from its layout: the window with
// the exact client size, its controls, fonts, colours and pictures, all
// scaled from the layout's 96 DPI to the DPI of the window's monitor, the
// language switch, and the message dispatch. Page classes derive from it
// and handle their events.
#pragma once

#include <windows.h>

#include <array>
#include <string>

#include "common/DpiScale.h"
#include "common/WinHandle.h"
#include "pages/Layout.h"
#include "winsupport/MessageLoop_win.h"
#include "pages/UiResources_win.h"

namespace pelmora::pages {

class PageWindow {
 public:
  PageWindow(const WindowLayout& layout, const UiResources& resources);
  virtual ~PageWindow();
  PageWindow(const PageWindow&) = delete;
  PageWindow& operator=(const PageWindow&) = delete;

  HWND Handle() const { return window_.Get(); }
  const WindowLayout& Layout() const { return layout_; }
  HWND Control(int id) const { return GetDlgItem(window_.Get(), id); }

  std::string Text(int id) const;
  // Also repaints what a transparent control leaves behind.
  void SetText(int id, const std::string& text);
  void SetCaption(const std::string& text);
  void ShowControl(int id, bool visible);
  void EnableControl(int id, bool enabled);
  bool IsChecked(int id) const;
  void SetChecked(int id, bool checked);
  void Focus(int id);

  // Sets every English text of the layout that differs from the German one.
  void SwitchToEnglish();
  // Whether the page speaks English (SwitchToEnglish was called).
  bool English() const { return english_; }

  void Show();
  void Hide();
  // What the page does when it is shown, for a run that shows no window.
  void ActAsShown() { OnShown(); }
  // The user's click on a button, for a run with nobody at the screen.
  void Press(int id) {
    SendMessageA(Handle(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(Control(id)));
  }
  POINT TopLeft() const;
  void MoveTo(POINT topLeft);
  void CentreOnScreen();
  void CentreOver(HWND other);

  // Shows the window modally over the other windows of the program and
  // returns when EndModal is called (or the window is closed).
  void RunModal();
  void EndModal();

 protected:
  // Events for the page classes; a failure they meet they show as the
  // application's error report themselves.
  virtual void OnCommand(int /*id*/, int /*notification*/) {}
  virtual void OnShown() {}
  virtual void OnTimer(UINT_PTR /*id*/) {}
  // The close box or Alt+F4; pages are never destroyed before the end.
  virtual void OnCloseRequest() {}
  // Escape, when no control of the page takes it: a page presses its Cancel
  // button where one is shown, a modal window closes.
  virtual void OnEscape();
  virtual void OnDestroy() {}
  // The window now shows at another DPI and its layout's controls are
  // placed anew; a page places the controls it made itself.
  virtual void OnRescaled() {}

  // The DPI the window is shown at.
  common::DpiScale Scale() const { return scale_; }
  // Places a control at a rectangle of the 96-DPI layout, at the window's DPI.
  void Place(HWND control, int left, int top, int width, int height);
  HFONT FontFor(FontKind kind) const;

 private:
  static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM w, LPARAM l);
  LRESULT HandleMessage(UINT message, WPARAM w, LPARAM l);
  void CreateControls();
  void PlaceControl(HWND control, const ControlLayout& c, bool redraw = false);
  // Lays the window out for `dpi`; at `suggested` when Windows names a place.
  void Rescale(int dpi, const RECT* suggested);
  void Paint(HDC dc) const;
  LRESULT ControlColour(HDC dc, HWND control);
  int DefaultButtonId() const;

  const WindowLayout& layout_;
  const UiResources& resources_;
  // Taken while the window is being created (WM_NCCREATE), so that its
  // first messages already reach the page.
  win::UniqueWindow window_;
  common::DpiScale scale_;
  bool modal_ = false;
  bool english_ = false;
};

}  // namespace pelmora::pages
