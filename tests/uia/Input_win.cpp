#include "Input_win.h"

#include "Outcome.h"

namespace pelmora::uia {

void Deliver(HWND control, UINT message, WPARAM wParam, LPARAM lParam, const Deadline& deadline) {
  // Sent, not posted: a thread handles the messages sent to it in the order
  // they came, before any posted one, and while a nested message loop runs.
  // So once the empty message that follows is answered, this one has been
  // handled, or its handler is waiting in a message box or dialog. A posted
  // message gives no such point to wait for.
  if (!SendNotifyMessageA(control, message, wParam, lParam)) {
    throw CommandFailure(kExitImpossible, "the message could not be sent (error " +
                                              std::to_string(GetLastError()) + ")");
  }
  for (;;) {
    DWORD_PTR ignored = 0;
    const UINT slice = deadline.RemainingMs() < 200 ? deadline.RemainingMs() : 200;
    if (SendMessageTimeoutA(control, WM_NULL, 0, 0, SMTO_NORMAL, slice, &ignored)) return;
    if (!IsWindow(control)) return;  // the action closed the window: handled
    if (deadline.Passed()) {
      throw CommandFailure(kExitNotFound, "the program did not take the input in time (busy?)");
    }
  }
}

void RequireUsable(HWND control, const std::string& what) {
  HWND top = GetAncestor(control, GA_ROOT);
  if (!IsWindowVisible(control)) throw CommandFailure(kExitImpossible, what + " is hidden");
  if (!IsWindowEnabled(control)) throw CommandFailure(kExitImpossible, what + " is disabled");
  if (top != control && !IsWindowEnabled(top)) {
    throw CommandFailure(kExitImpossible,
                         what + ": its window is disabled (a message box or dialog is open)");
  }
}

}  // namespace pelmora::uia
