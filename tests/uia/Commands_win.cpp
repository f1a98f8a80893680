#include "Commands_win.h"

#include <cstdio>

#include "FolderDialog_win.h"
#include "Input_win.h"
#include "Outcome.h"
#include "Windows_win.h"

namespace pelmora::uia {

namespace {

void Print(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

// "window client=W,H sysmenu=0|1 screen=L,T,W,H focus=ID" (the control of
// the window that has the keyboard focus, 0 for none), then per control
// "CLASS id=N visible=0|1 enabled=0|1 checked=0|1|2|- rect=L,T,W,H style=HEX text=TEXT"
// with rectangles in the window's client coordinates. The text comes last
// so that everything after "text=" is the control's text.
std::string Dump(HWND window) {
  RECT client = {}, frame = {};
  GetClientRect(window, &client);
  GetWindowRect(window, &frame);
  const LONG style = GetWindowLongA(window, GWL_STYLE);
  GUITHREADINFO thread{};
  thread.cbSize = sizeof thread;
  int focus = 0;
  if (GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &thread) && thread.hwndFocus &&
      thread.hwndFocus != window && IsChild(window, thread.hwndFocus))
    focus = GetDlgCtrlID(thread.hwndFocus);
  char line[512];
  std::snprintf(line, sizeof line,
                "window client=%ld,%ld sysmenu=%d screen=%ld,%ld,%ld,%ld focus=%d\n", client.right,
                client.bottom, (style & WS_SYSMENU) ? 1 : 0, frame.left, frame.top,
                frame.right - frame.left, frame.bottom - frame.top, focus);
  std::string lines = line;
  for (HWND control : Descendants(window)) {
    RECT rect = {};
    GetWindowRect(control, &rect);
    MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&rect), 2);
    const int checked = CheckState(control);
    std::snprintf(
        line, sizeof line,
        "%s id=%d visible=%d enabled=%d checked=%s rect=%ld,%ld,%ld,%ld style=%08lx text=",
        ClassName(control).c_str(), GetDlgCtrlID(control), IsWindowVisible(control) ? 1 : 0,
        IsWindowEnabled(control) ? 1 : 0, checked < 0 ? "-" : std::to_string(checked).c_str(),
        rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
        static_cast<unsigned long>(GetWindowLongA(control, GWL_STYLE)));
    lines += line + EscapeLineBreaks(ControlText(control)) + "\n";
  }
  return lines;
}

// For a person writing a test: what is on the screen, one line per window.
std::string ListWindows() {
  std::string lines;
  for (HWND window : TopLevelWindows()) {
    if (!IsWindowVisible(window)) continue;
    char caption[1024] = {};
    GetWindowTextA(window, caption, sizeof caption);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    lines += "pid=" + std::to_string(processId) + " class=" + ClassName(window) +
             " caption=" + EscapeLineBreaks(caption) + "\n";
  }
  return lines;
}

std::string StaticTexts(HWND window) {
  std::string lines;
  for (HWND control : Descendants(window)) {
    if (!IsClass(control, "Static")) continue;
    const std::string text = ControlText(control);
    if (!text.empty()) lines += EscapeLineBreaks(text) + "\n";
  }
  return lines;
}

// texts and dismiss: a window that has just appeared (or one of an earlier
// run on its way out) may show no text yet, so look until there is some.
HWND WaitForTexts(const WindowQuery& query, const Deadline& deadline, std::string& texts) {
  for (;;) {
    HWND window = WaitForWindow(query, deadline);
    Sleep(300);  // let it paint before anyone takes a picture
    texts = StaticTexts(window);
    if (!texts.empty()) return window;
    if (deadline.Passed()) {
      throw CommandFailure(kExitNotFound, "the window \"" + query.caption + "\" shows no text");
    }
  }
}

HWND DefaultButton(HWND window) {
  for (HWND control : Descendants(window)) {
    if (IsClass(control, "Button") && IsWindowVisible(control) &&
        (GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
      return control;
    }
  }
  return GetDlgItem(window, IDOK);
}

// A static text that tells its owner when it is clicked: what a page shows
// as a link.
bool IsLink(HWND control) {
  return IsClass(control, "Static") && (GetWindowLongA(control, GWL_STYLE) & SS_NOTIFY);
}

// The button or link labelled `label`; a visible, enabled one before any
// other, as a window may keep the same button hidden on several pages.
HWND FindButton(HWND window, const std::string& label) {
  HWND best = nullptr;
  for (HWND control : Descendants(window)) {
    if (!(IsPushLikeButton(control) || IsLink(control)) || ControlText(control) != label) continue;
    if (IsWindowVisible(control) && IsWindowEnabled(control)) return control;
    if (!best || (IsWindowVisible(control) && !IsWindowVisible(best))) best = control;
  }
  return best;
}

// A button or a link as a user presses it.
void Press(HWND control, const Deadline& deadline) {
  if (IsLink(control)) {
    // A link answers the press of the mouse button, as the system's static
    // control does; the release that follows changes nothing.
    Deliver(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1), deadline);
    Deliver(control, WM_LBUTTONUP, 0, MAKELPARAM(1, 1), deadline);
  } else {
    Deliver(control, BM_CLICK, 0, 0, deadline);
  }
}

HWND WaitForControl(HWND window, const Deadline& deadline, int id) {
  HWND control = WaitFor(deadline, [&] { return FindControlById(window, id); });
  if (!control) {
    throw CommandFailure(kExitNotFound, "no control with id " + std::to_string(id) + " appeared");
  }
  return control;
}

void SetEditText(HWND edit, const std::string& text, const Deadline& deadline) {
  const std::string what = "edit control " + std::to_string(GetDlgCtrlID(edit));
  if (!IsClass(edit, "Edit")) {
    throw CommandFailure(kExitImpossible, what + " is a " + ClassName(edit) + ", not an edit");
  }
  RequireUsable(edit, what);
  if (GetWindowLongA(edit, GWL_STYLE) & ES_READONLY) {
    throw CommandFailure(kExitImpossible, what + " is read-only");
  }
  // WM_SETTEXT is copied between processes; a one-line edit then tells its
  // owner EN_UPDATE and EN_CHANGE as if the text had been typed.
  DWORD_PTR done = 0;
  if (!SendMessageTimeoutA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL,
                           deadline.RemainingMs(), &done) ||
      !done) {
    throw CommandFailure(kExitImpossible, what + " did not take the text");
  }
}

}  // namespace

void RunCommand(const Invocation& call) {
  const Deadline deadline(call.timeoutSeconds);
  const std::string& command = call.command;
  if (command == "folder") {
    HWND dialog = WaitForFolderDialog(deadline);
    if (call.print) {
      Print(SelectedFolder(dialog) + "\n");
    } else if (call.cancel) {
      CloseFolderDialog(dialog, IDCANCEL, deadline);
    } else {
      SelectFolder(dialog, call.args[0]);
      CloseFolderDialog(dialog, IDOK, deadline);
    }
    return;
  }
  if (command == "list") {
    Print(ListWindows());
    return;
  }
  const WindowQuery query{call.args[0], call.windowClass};
  if (command == "gone") {
    if (!WaitFor(deadline, [&] { return FindVisibleWindow(query) == nullptr; })) {
      throw CommandFailure(kExitNotFound, "the window \"" + query.caption + "\" is still shown");
    }
    return;
  }
  if (command == "texts" || command == "dismiss") {
    std::string texts;
    HWND window = WaitForTexts(query, deadline, texts);
    Print(texts);
    if (command == "dismiss") {
      HWND button = DefaultButton(window);
      if (button) {
        RequireUsable(button, "the default button");
        Deliver(button, BM_CLICK, 0, 0, deadline);
      } else {
        PostMessageA(window, WM_COMMAND, IDOK, 0);
      }
    }
    return;
  }
  HWND window = WaitForWindow(query, deadline);
  if (command == "wait") {
    return;
  } else if (command == "dump") {
    Print(Dump(window));
  } else if (command == "pid") {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    Print(std::to_string(processId) + "\n");
  } else if (command == "close") {
    if (!(GetWindowLongA(window, GWL_STYLE) & WS_SYSMENU) ||
        (GetClassLongPtrA(window, GCL_STYLE) & CS_NOCLOSE)) {
      throw CommandFailure(kExitImpossible,
                           "the window \"" + query.caption + "\" has no close box");
    }
    RequireUsable(window, "the window \"" + query.caption + "\"");
    Deliver(window, WM_SYSCOMMAND, SC_CLOSE, 0, deadline);
  } else if (command == "escape") {
    // Posted, as the keyboard's are: the program's message loop hands it to
    // the dialog manager, which makes it Cancel where the window has one.
    RequireUsable(window, "the window \"" + query.caption + "\"");
    HWND focus = window;
    GUITHREADINFO thread{};
    thread.cbSize = sizeof thread;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &thread) && thread.hwndFocus &&
        GetAncestor(thread.hwndFocus, GA_ROOT) == window)
      focus = thread.hwndFocus;
    PostMessageA(focus, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    PostMessageA(focus, WM_KEYUP, VK_ESCAPE, static_cast<LPARAM>(0xC0010001u));
    Deliver(window, WM_NULL, 0, 0, deadline);
  } else if (command == "click" || command == "click-after") {
    const std::string& label = call.args[1];
    // click-after presses the moment the program reaches a point a test
    // can see from outside (a file it has written) and the button can be
    // pressed: one entry being unpacked lasts less than starting another
    // wintool would take.
    const bool after = command == "click-after";
    HWND button = WaitFor(
        deadline,
        [&]() -> HWND {
          HWND found = FindButton(window, label);
          if (!after) return found;
          const bool reached = GetFileAttributesA(call.args[2].c_str()) != INVALID_FILE_ATTRIBUTES;
          return reached && found && IsWindowVisible(found) && IsWindowEnabled(found) ? found
                                                                                      : nullptr;
        },
        after ? 5 : 100);
    if (!button && after) {
      if (GetFileAttributesA(call.args[2].c_str()) == INVALID_FILE_ATTRIBUTES)
        throw CommandFailure(kExitNotFound, "no file \"" + call.args[2] + "\" appeared");
      button = FindButton(window, label);
    }
    if (!button) throw CommandFailure(kExitNotFound, "no button \"" + label + "\" appeared");
    RequireUsable(button, "the button \"" + label + "\"");
    Press(button, deadline);
  } else {
    const int id = static_cast<int>(ParseNumber(call.args[1], 0, 0xFFFF, "the control id"));
    HWND control = WaitForControl(window, deadline, id);
    if (command == "press") {
      // By id where labels repeat, as a choice worded like a page's button.
      const std::string what = "control " + call.args[1];
      if (!IsPushLikeButton(control) && !IsLink(control)) {
        throw CommandFailure(kExitImpossible, what + " is a " + ClassName(control) +
                                                  ", neither a button nor a link");
      }
      RequireUsable(control, what);
      Press(control, deadline);
    } else if (command == "settext") {
      SetEditText(control, call.args[2], deadline);
    } else {  // key
      const auto code =
          static_cast<WPARAM>(ParseNumber(call.args[2], 1, 255, "the character code"));
      RequireUsable(control, "control " + call.args[1]);
      Deliver(control, WM_CHAR, code, 1, deadline);
    }
  }
}

}  // namespace pelmora::uia
