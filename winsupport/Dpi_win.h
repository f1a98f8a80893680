// The DPI a window is shown at, and its frame at that DPI. The programs
// declare themselves per-monitor aware in their manifests; the calls that
// go with it exist only on Windows 10 and are looked up at run time, with
// the screen's (system) DPI as the answer older Windows gives. Windows only.
#pragma once

#include <windows.h>

#include "common/DpiScale.h"

namespace pelmora::winsupport {

// Sent to a top-level window whose monitor's DPI changed: the new DPI in
// LOWORD(wParam), the suggested window rectangle at lParam.
inline constexpr UINT kDpiChangedMessage = 0x02E0;

// The DPI `window` is shown at.
common::DpiScale ScaleOf(HWND window) noexcept;

// Sizes `window` so that its client area is clientWidth x clientHeight
// pixels at `dpi` (frames and captions grow with the DPI too), its top left
// moved to that of `at` when given (the rectangle Windows suggests with
// kDpiChangedMessage), else left where it is.
void FitToClient(HWND window, int clientWidth, int clientHeight, int dpi,
                 const RECT* at = nullptr) noexcept;

}  // namespace pelmora::winsupport
