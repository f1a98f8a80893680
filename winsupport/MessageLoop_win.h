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

// Lets a frequent event through at most once per interval, by GetTickCount
// (whose wrap after 49 days it survives); the first call always passes.
// Work that reports each file or block would otherwise repaint a status line
// or a bar and look at the message queue thousands of times a second, and
// every repaint and every look at the queue is a call into the system:
// under an emulator a round trip to its server, which cost more than the
// files themselves. 40 ms is still smooth to the eye and quick to answer a
// click.
class Pacer {
 public:
  static constexpr DWORD kScreenInterval = 40;

  explicit Pacer(DWORD intervalMs = kScreenInterval) : interval_(intervalMs) {}

  bool Due() {
    const DWORD now = ::GetTickCount();
    if (started_ && now - last_ < interval_) return false;
    started_ = true;
    last_ = now;
    return true;
  }

 private:
  DWORD interval_;
  DWORD last_ = 0;
  bool started_ = false;
};

}  // namespace pelmora::winsupport
