#include "uninstall/ProgressWindow_win.h"

#include <commctrl.h>

#include <utility>

#include "winsupport/Dpi_win.h"
#include "winsupport/MessageLoop_win.h"

namespace pelmora::uninstall {
namespace {

constexpr const char* kWindowClass = "PelmoraUninstall";
// In pixels at 96 DPI, scaled to the window's DPI.
constexpr int kClientWidth = 400;
constexpr int kClientHeight = 92;
constexpr int kMargin = 16;
constexpr int kLabelTop = 16;
constexpr int kBarTop = 48;
constexpr int kRowHeight = 20;
constexpr int kFontHeight = 11;  // the dialog font's 8 points

}  // namespace

// Nothing here can throw; closing is ignored while the removal runs.
LRESULT CALLBACK ProgressWindow::WindowProcedure(HWND window, UINT message, WPARAM wParam,
                                                 LPARAM lParam) noexcept {
  if (message == WM_CLOSE) return 0;
  if (message == winsupport::kDpiChangedMessage) {
    if (auto* self = reinterpret_cast<ProgressWindow*>(::GetWindowLongPtrA(window, GWLP_USERDATA)))
      self->LayOut(common::DpiScale(LOWORD(wParam)), reinterpret_cast<const RECT*>(lParam));
    return 0;
  }
  return ::DefWindowProcA(window, message, wParam, lParam);
}

void ProgressWindow::LayOut(common::DpiScale scale, const RECT* suggested) {
  winsupport::FitToClient(Handle(), scale(kClientWidth), scale(kClientHeight), scale.Dpi(),
                          suggested);
  // The system's dialog font, made at this DPI's size.
  LOGFONTA face{};
  ::GetObjectA(::GetStockObject(DEFAULT_GUI_FONT), sizeof face, &face);
  face.lfHeight = -scale(kFontHeight);
  face.lfWidth = 0;
  win::GdiObject font(::CreateFontIndirectA(&face));
  const auto fontParameter = reinterpret_cast<WPARAM>(font ? static_cast<HFONT>(font.Get())
                                                           : ::GetStockObject(DEFAULT_GUI_FONT));
  const std::pair<HWND, int> rows[] = {{label_, kLabelTop}, {bar_, kBarTop}};
  for (const auto& [control, top] : rows) {
    const common::Edges box = scale.Box(kMargin, top, kClientWidth - 2 * kMargin, kRowHeight);
    ::SetWindowPos(control, nullptr, box.left, box.top, box.Width(), box.Height(),
                   SWP_NOZORDER | SWP_NOACTIVATE);
  }
  ::SendMessageA(label_, WM_SETFONT, fontParameter, TRUE);
  font_ = std::move(font);  // the old font only once the label holds the new one
}

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
  // Sized once it exists: only then is its monitor's DPI known.
  window_.Reset(::CreateWindowExA(0, kWindowClass, caption.c_str(), style, CW_USEDEFAULT,
                                  CW_USEDEFAULT, kClientWidth, kClientHeight, nullptr, nullptr,
                                  instance, nullptr));
  if (!window_) return;
  ::SetWindowLongPtrA(Handle(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  label_ = ::CreateWindowExA(0, "STATIC", "",
                             WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_PATHELLIPSIS, 0, 0, 0,
                             0, Handle(), nullptr, instance, nullptr);
  bar_ = ::CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, Handle(),
                           nullptr, instance, nullptr);
  LayOut(winsupport::ScaleOf(Handle()), nullptr);
  RECT frame{}, work{};
  ::GetWindowRect(Handle(), &frame);
  ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  ::SetWindowPos(Handle(), nullptr,
                 work.left + (work.right - work.left - (frame.right - frame.left)) / 2,
                 work.top + (work.bottom - work.top - (frame.bottom - frame.top)) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ::SendMessageA(bar_, PBM_SETRANGE32, 0, static_cast<LPARAM>(steps_));
  ::ShowWindow(Handle(), SW_SHOW);
  ::UpdateWindow(Handle());
  winsupport::PumpWaitingMessages();
}

ProgressWindow::~ProgressWindow() {
  // Its last messages no longer reach this object.
  if (window_) ::SetWindowLongPtrA(Handle(), GWLP_USERDATA, 0);
}

void ProgressWindow::Step(const std::string& text) {
  if (!window_) return;
  ++done_;
  // Shown at the pace the eye can follow: a repaint per file took longer
  // than removing the file.
  if (!pace_.Due()) return;
  ::SetWindowTextA(label_, text.c_str());
  ::SendMessageA(bar_, PBM_SETPOS, static_cast<WPARAM>(done_), 0);
  winsupport::PumpWaitingMessages();
}

void ProgressWindow::Finish(const std::string& text) {
  if (!window_) return;
  ::SetWindowTextA(label_, text.c_str());
  ::SendMessageA(bar_, PBM_SETPOS, static_cast<WPARAM>(steps_), 0);
  winsupport::PumpWaitingMessages();
}

}  // namespace pelmora::uninstall
