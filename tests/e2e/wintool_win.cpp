// A small remote control for the end-to-end tests: finds a top-level window
// by its caption, prints the texts it shows and presses its default button,
// as a user looking at the screen would.
//
//   wintool dismiss CAPTION SECONDS   print the window's static texts, press OK
//   wintool texts CAPTION SECONDS     print them only
// Exit status 0 when the window was found in time, 1 otherwise.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct Search {
  const char* caption;
  HWND found;
};

BOOL CALLBACK MatchCaption(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  char text[512] = {};
  GetWindowTextA(window, text, sizeof text);
  if (IsWindowVisible(window) && std::string(text) == search->caption) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

HWND WaitForWindow(const char* caption, double seconds) {
  const DWORD deadline = GetTickCount() + static_cast<DWORD>(seconds * 1000);
  for (;;) {
    Search search{caption, nullptr};
    EnumWindows(MatchCaption, reinterpret_cast<LPARAM>(&search));
    if (search.found) return search.found;
    if (static_cast<LONG>(GetTickCount() - deadline) > 0) return nullptr;
    Sleep(100);
  }
}

BOOL CALLBACK CollectStatic(HWND child, LPARAM param) {
  char cls[64] = {};
  GetClassNameA(child, cls, sizeof cls);
  if (lstrcmpiA(cls, "Static") == 0) {
    char text[4096] = {};
    if (GetWindowTextA(child, text, sizeof text) > 0) {
      // One line per control; line breaks inside the text are spelled out
      // so that the test can compare the exact bytes.
      std::string& lines = *reinterpret_cast<std::string*>(param);
      for (const char* c = text; *c; ++c) {
        if (*c == '\r')
          lines += "\\r";
        else if (*c == '\n')
          lines += "\\n";
        else
          lines += *c;
      }
      lines += '\n';
    }
  }
  return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: wintool dismiss|texts CAPTION SECONDS\n");
    return 2;
  }
  const std::string command = argv[1];
  // A window that has just appeared (or one of an earlier run that is on its
  // way out) may show no text yet: look again until the deadline.
  const double seconds = std::atof(argv[3]);
  const DWORD deadline = GetTickCount() + static_cast<DWORD>(seconds * 1000);
  HWND window = nullptr;
  std::string texts;
  while (texts.empty()) {
    const double left = static_cast<LONG>(deadline - GetTickCount()) / 1000.0;
    window = left > 0 ? WaitForWindow(argv[2], left) : nullptr;
    if (!window) {
      std::fprintf(stderr, "no window \"%s\" with text appeared\n", argv[2]);
      return 1;
    }
    Sleep(300);  // let it paint before anyone takes a picture
    EnumChildWindows(window, CollectStatic, reinterpret_cast<LPARAM>(&texts));
  }
  std::fputs(texts.c_str(), stdout);
  std::fflush(stdout);
  if (command == "dismiss") PostMessageA(window, WM_COMMAND, IDOK, 0);
  return 0;
}
