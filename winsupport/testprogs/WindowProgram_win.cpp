// A minimal windowed program for the process tests: one hidden top-level
// window and a message loop. Built twice: one copy closes on WM_CLOSE and
// exits with kExitCodeWhenClosed, the other (PELMORA_IGNORE_CLOSE) refuses.
#include <windows.h>

namespace {

constexpr int kExitCodeWhenClosed = 7;

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
#if defined(PELMORA_IGNORE_CLOSE)
    case WM_CLOSE:
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
