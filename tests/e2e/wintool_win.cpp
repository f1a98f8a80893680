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

BOOL CALLBACK PrintStatic(HWND child, LPARAM) {
  char cls[64] = {};
  GetClassNameA(child, cls, sizeof cls);
  if (lstrcmpiA(cls, "Static") == 0) {
    char text[4096] = {};
    if (GetWindowTextA(child, text, sizeof text) > 0) {
      // One line per control; line breaks inside the text are spelled out
      // so that the test can compare the exact bytes.
      std::string line;
      for (const char* c = text; *c; ++c) {
        if (*c == '\r') line += "\\r";
        else if (*c == '\n') line += "\\n";
        else line += *c;
      }
      std::printf("%s\n", line.c_str());
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
  HWND window = WaitForWindow(argv[2], std::atof(argv[3]));
  if (!window) {
    std::fprintf(stderr, "no window \"%s\" appeared\n", argv[2]);
    return 1;
  }
  Sleep(300);  // let it paint before anyone takes a picture
  EnumChildWindows(window, PrintStatic, 0);
  std::fflush(stdout);
  if (command == "dismiss") PostMessageA(window, WM_COMMAND, IDOK, 0);
  return 0;
}
