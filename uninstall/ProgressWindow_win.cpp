#include "uninstall/ProgressWindow_win.h"

#include <commctrl.h>

#include "winsupport/MessageLoop_win.h"

namespace pelmora::uninstall {
namespace {

constexpr const char* kWindowClass = "PelmoraUninstall";
constexpr int kClientWidth = 400;
constexpr int kClientHeight = 92;

// Nothing here can throw; closing is ignored while the removal runs.
LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  if (message == WM_CLOSE) return 0;
  return ::DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

ProgressWindow::ProgressWindow(HINSTANCE instance, const std::string& caption, std::size_t steps)
    : steps_(steps) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = WindowProcedure;
  windowClass.hInstance = instance;
  windowClass.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kWindowClass;
  ::RegisterClassA(&windowClass);

  const DWORD style = WS_OVERLAPPED | WS_CAPTION;
  RECT frame{0, 0, kClientWidth, kClientHeight};
  ::AdjustWindowRectEx(&frame, style, FALSE, 0);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  RECT work{};
  ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  window_ = ::CreateWindowExA(0, kWindowClass, caption.c_str(), style,
                              work.left + (work.right - work.left - width) / 2,
                              work.top + (work.bottom - work.top - height) / 2, width, height,
                              nullptr, nullptr, instance, nullptr);
  if (!window_) return;
  const auto font = reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT));
  label_ = ::CreateWindowExA(0, "STATIC", "",
                             WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_PATHELLIPSIS, 16, 16,
                             kClientWidth - 32, 20, window_, nullptr, instance, nullptr);
  ::SendMessageA(label_, WM_SETFONT, font, FALSE);
  bar_ = ::CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE, 16, 48, kClientWidth - 32,
                           20, window_, nullptr, instance, nullptr);
  ::SendMessageA(bar_, PBM_SETRANGE32, 0, static_cast<LPARAM>(steps_));
  ::SendMessageA(bar_, PBM_SETSTEP, 1, 0);
  ::ShowWindow(window_, SW_SHOW);
  ::UpdateWindow(window_);
  winsupport::PumpWaitingMessages();
}

ProgressWindow::~ProgressWindow() {
  if (window_) ::DestroyWindow(window_);
}

void ProgressWindow::Step(const std::string& text) {
  if (!window_) return;
  ::SetWindowTextA(label_, text.c_str());
  ::SendMessageA(bar_, PBM_STEPIT, 0, 0);
  winsupport::PumpWaitingMessages();
}

void ProgressWindow::Finish(const std::string& text) {
  if (!window_) return;
  ::SetWindowTextA(label_, text.c_str());
  ::SendMessageA(bar_, PBM_SETPOS, static_cast<WPARAM>(steps_), 0);
  winsupport::PumpWaitingMessages();
}

}  // namespace pelmora::uninstall
