#include "winsupport/Dpi_win.h"

#include "common/WinHandle.h"

namespace pelmora::winsupport {
namespace {

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND window);
using AdjustWindowRectExForDpiFunction = BOOL(WINAPI*)(RECT* rect, DWORD style, BOOL menu,
                                                       DWORD exStyle, UINT dpi);

HMODULE User32() { return ::GetModuleHandleA("user32.dll"); }

int ScreenDpi() {
  const win::WindowDc screen = win::DcOf(nullptr);
  if (!screen) return common::kLayoutDpi;
  return ::GetDeviceCaps(screen.Get().dc, LOGPIXELSY);
}

}  // namespace

common::DpiScale ScaleOf(HWND window) noexcept {
  static const auto forWindow =
      win::LookUpExport<GetDpiForWindowFunction>(User32(), "GetDpiForWindow");
  if (forWindow && window) return common::DpiScale(static_cast<int>(forWindow(window)));
  return common::DpiScale(ScreenDpi());
}

void FitToClient(HWND window, int clientWidth, int clientHeight, int dpi, const RECT* at) noexcept {
  static const auto adjust =
      win::LookUpExport<AdjustWindowRectExForDpiFunction>(User32(), "AdjustWindowRectExForDpi");
  const auto style = static_cast<DWORD>(::GetWindowLongA(window, GWL_STYLE));
  const auto exStyle = static_cast<DWORD>(::GetWindowLongA(window, GWL_EXSTYLE));
  RECT frame{0, 0, clientWidth, clientHeight};
  if (!adjust || !adjust(&frame, style, FALSE, exStyle, static_cast<UINT>(dpi)))
    ::AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  ::SetWindowPos(window, nullptr, at ? at->left : 0, at ? at->top : 0, frame.right - frame.left,
                 frame.bottom - frame.top, SWP_NOZORDER | SWP_NOACTIVATE | (at ? 0 : SWP_NOMOVE));
  // The frame was computed, not measured: where the window's frame is drawn
  // at another size (older Windows has no per-DPI frames), the difference
  // is made up once.
  RECT client{};
  if (!::GetClientRect(window, &client)) return;
  const int missingWidth = clientWidth - client.right;
  const int missingHeight = clientHeight - client.bottom;
  if (missingWidth == 0 && missingHeight == 0) return;
  ::SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left + missingWidth,
                 frame.bottom - frame.top + missingHeight,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
}

}  // namespace pelmora::winsupport
