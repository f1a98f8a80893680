#include "winsupport/MessageLoop_win.h"

namespace pelmora::winsupport {

OtherWindowsDisabled::OtherWindowsDisabled(HWND except) : except_(except) {
  EnumThreadWindows(GetCurrentThreadId(), Collect, reinterpret_cast<LPARAM>(this));
}

BOOL CALLBACK OtherWindowsDisabled::Collect(HWND window, LPARAM param) {
  auto* self = reinterpret_cast<OtherWindowsDisabled*>(param);
  if (window != self->except_ && IsWindowEnabled(window) && self->count_ < self->disabled_.size()) {
    EnableWindow(window, FALSE);
    self->disabled_[self->count_++] = window;
  }
  return TRUE;
}

OtherWindowsDisabled::~OtherWindowsDisabled() {
  for (std::size_t i = 0; i < count_; ++i) EnableWindow(disabled_[i], TRUE);
}

namespace {

void Dispatch(MSG& message) {
  HWND active = GetActiveWindow();
  if (active && IsDialogMessageA(active, &message)) return;
  TranslateMessage(&message);
  DispatchMessageA(&message);
}

}  // namespace

bool PumpMessagesUntil(const bool& done) {
  while (!done) {
    MSG message;
    const BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return false;
    }
    if (got < 0) return false;
    Dispatch(message);
  }
  return true;
}

bool PumpWaitingMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return false;
    }
    Dispatch(message);
  }
  return true;
}

}  // namespace pelmora::winsupport
