// The wizard's message loops: modal windows over the others, and the waits
// of the installation run that keep the pages alive.
#pragma once

#include <windows.h>

#include <array>
#include <cstddef>

namespace pelmora::winsupport {

// Disables every enabled top-level window of this thread but one, and
// enables them again when it goes out of scope: a modal dialog for the
// whole wizard.
class OtherWindowsDisabled {
 public:
  explicit OtherWindowsDisabled(HWND except);
  ~OtherWindowsDisabled();
  OtherWindowsDisabled(const OtherWindowsDisabled&) = delete;
  OtherWindowsDisabled& operator=(const OtherWindowsDisabled&) = delete;

 private:
  static BOOL CALLBACK Collect(HWND window, LPARAM self);
  HWND except_;
  std::array<HWND, 16> disabled_{};
  std::size_t count_ = 0;
};

// Runs the thread's message loop until `done` becomes true (or WM_QUIT);
// keyboard navigation goes to the active window. Returns false on WM_QUIT,
// which it posts again for the outer loop.
bool PumpMessagesUntil(const bool& done);

// Handles the messages waiting now, then returns; false on WM_QUIT.
bool PumpWaitingMessages();

}  // namespace pelmora::winsupport
