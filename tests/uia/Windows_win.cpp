#include "Windows_win.h"

#include "Outcome.h"

namespace pelmora::uia {

namespace {

constexpr UINT kAnswerMs = 2000;  // for a control that is merely asked about its state

BOOL CALLBACK CollectWindow(HWND window, LPARAM list) noexcept {
  try {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
  } catch (...) {
    return FALSE;
  }
}

}  // namespace

std::vector<HWND> TopLevelWindows() {
  std::vector<HWND> windows;
  windows.reserve(256);
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

std::vector<HWND> Descendants(HWND window) {
  std::vector<HWND> children;
  children.reserve(64);
  EnumChildWindows(window, CollectWindow, reinterpret_cast<LPARAM>(&children));
  return children;
}

std::string ClassName(HWND window) {
  char name[256] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

bool IsClass(HWND window, const char* name) {
  return lstrcmpiA(ClassName(window).c_str(), name) == 0;
}

HWND FindVisibleWindow(const WindowQuery& query) {
  for (HWND window : TopLevelWindows()) {
    if (!IsWindowVisible(window)) continue;
    // The caption of a top-level window is kept by the system, so reading
    // it asks nothing of the (possibly busy) program that owns it.
    char caption[1024] = {};
    GetWindowTextA(window, caption, sizeof caption);
    if (query.caption != caption) continue;
    if (!query.windowClass.empty() && ClassName(window) != query.windowClass) continue;
    return window;
  }
  return nullptr;
}

HWND WaitForWindow(const WindowQuery& query, const Deadline& deadline) {
  HWND window = WaitFor(deadline, [&] { return FindVisibleWindow(query); });
  if (!window) {
    throw CommandFailure(
        kExitNotFound,
        "no visible window \"" + query.caption + "\"" +
            (query.windowClass.empty() ? std::string() : " of class " + query.windowClass) +
            " appeared in time");
  }
  return window;
}

std::string ControlText(HWND control) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutA(control, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kAnswerMs, &length)) {
    return {};
  }
  std::string text(length + 1, '\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutA(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                           SMTO_ABORTIFHUNG, kAnswerMs, &copied)) {
    return {};
  }
  text.resize(copied < text.size() ? copied : text.size() - 1);
  return text;
}

std::string EscapeLineBreaks(const std::string& text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (char c : text) {
    if (c == '\r')
      escaped += "\\r";
    else if (c == '\n')
      escaped += "\\n";
    else
      escaped += c;
  }
  return escaped;
}

bool IsPushLikeButton(HWND control) {
  if (!IsClass(control, "Button")) return false;
  switch (GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK) {
    case BS_GROUPBOX:
    case BS_OWNERDRAW:
    case BS_USERBUTTON:
      return false;
    default:
      return true;
  }
}

int CheckState(HWND control) {
  if (!IsClass(control, "Button")) return -1;
  DWORD_PTR state = 0;
  if (!SendMessageTimeoutA(control, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, kAnswerMs, &state)) {
    return -1;
  }
  return static_cast<int>(state);
}

HWND FindControlById(HWND window, int id) {
  HWND hidden = nullptr;
  for (HWND control : Descendants(window)) {
    if (GetDlgCtrlID(control) != id) continue;
    if (IsWindowVisible(control)) return control;
    if (!hidden) hidden = control;
  }
  return hidden;
}

}  // namespace pelmora::uia
