// Handing a control what a user's action would produce, and knowing when
// the program under test has taken it.
#pragma once

#include <windows.h>

#include "Windows_win.h"

namespace pelmora::uia {

// Delivers a message without pointers (BM_CLICK, WM_CHAR, WM_SYSCOMMAND)
// and returns once the control's thread has handled it or has entered a
// message loop inside it (a message box or dialog the action opened), so
// that the next command sees the action's effect. Throws
// CommandFailure(kExitNotFound) when the thread does not get to it in time.
void Deliver(HWND control, UINT message, WPARAM wParam, LPARAM lParam, const Deadline& deadline);

// Refuses (kExitImpossible) what a user could not do to `control`: it or
// its top-level window is hidden or disabled. `what` names it in the message.
void RequireUsable(HWND control, const std::string& what);

}  // namespace pelmora::uia
