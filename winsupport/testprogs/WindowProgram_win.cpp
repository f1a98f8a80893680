// A minimal windowed program for the process tests: one hidden top-level
// window and a message loop. Built in several copies: one closes on WM_CLOSE
// and exits with kExitCodeWhenClosed, one (PELMORA_IGNORE_CLOSE) refuses, one
// (PELMORA_CLOSE_DELAY_MS) closes that long after being asked, as a program
// does that first asks its user whether to save changes.
#include <windows.h>

namespace {

constexpr int kExitCodeWhenClosed = 7;

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
#if defined(PELMORA_IGNORE_CLOSE)
    case WM_CLOSE:
      return 0;
#elif defined(PELMORA_CLOSE_DELAY_MS)
    case WM_CLOSE:
      ::SetTimer(window, 1, PELMORA_CLOSE_DELAY_MS, nullptr);
      return 0;
    case WM_TIMER:
      ::KillTimer(window, 1);
      ::DestroyWindow(window);
      return 0;
#endif
    case WM_DESTROY:
      ::PostQuitMessage(kExitCodeWhenClosed);
      return 0;
    default:
      return ::DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = WindowProcedure;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = "PelmoraTestWindow";
  if (!::RegisterClassA(&windowClass)) return 1;
  if (!::CreateWindowExA(0, windowClass.lpszClassName, "Pelmora test window", WS_OVERLAPPEDWINDOW,
                         CW_USEDEFAULT, CW_USEDEFAULT, 200, 100, nullptr, nullptr, instance,
                         nullptr))
    return 2;
  MSG message;
  while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
  return static_cast<int>(message.wParam);
}
