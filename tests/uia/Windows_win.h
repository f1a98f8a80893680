// Looking at other processes' windows: finding them, reading their texts
// and state, and waiting for them. Every read of a control goes through a
// message with a time-out, so a hung program under test makes a command
// fail instead of hanging the test.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace pelmora::uia {

class Deadline {
 public:
  explicit Deadline(double seconds) : end_(GetTickCount() + static_cast<DWORD>(seconds * 1000)) {}
  bool Passed() const { return static_cast<LONG>(GetTickCount() - end_) >= 0; }
  // At least 1 ms, so that a last attempt at the deadline still gets a chance.
  UINT RemainingMs() const { return Passed() ? 1 : static_cast<UINT>(end_ - GetTickCount()); }

 private:
  DWORD end_;
};

struct WindowQuery {
  std::string caption;      // exact bytes
  std::string windowClass;  // empty: any class
};

// Top-level windows in Z order, topmost first.
std::vector<HWND> TopLevelWindows();
// Every descendant, depth first in Z order: a child, then its children.
std::vector<HWND> Descendants(HWND window);

HWND FindVisibleWindow(const WindowQuery& query);

// Calls probe until it returns something true (a window, true) or the
// deadline passes; returns its last answer. Every `intervalMs`: a window
// that comes and goes in a moment needs a shorter one than the default.
template <typename Probe>
auto WaitFor(const Deadline& deadline, Probe probe, DWORD intervalMs = 100) -> decltype(probe()) {
  for (;;) {
    if (auto found = probe()) return found;
    if (deadline.Passed()) return {};
    Sleep(intervalMs);
  }
}

// Throws CommandFailure(kExitNotFound) when the window does not appear in time.
HWND WaitForWindow(const WindowQuery& query, const Deadline& deadline);

std::string ClassName(HWND window);
// The text the control itself reports (WM_GETTEXT), which for an edit is
// what the user sees; empty when the control does not answer in time.
std::string ControlText(HWND control);
// Bytes as they are, line breaks spelled \r and \n, for one-line output.
std::string EscapeLineBreaks(const std::string& text);
bool IsClass(HWND window, const char* name);  // case-insensitive, as Windows compares
bool IsPushLikeButton(HWND control);          // push, check box or radio: BM_CLICK applies
// BM_GETCHECK, or -1 for a control that is no button or does not answer.
int CheckState(HWND control);
// The visible descendant with this control id, else a hidden one, else null.
HWND FindControlById(HWND window, int id);

}  // namespace pelmora::uia
