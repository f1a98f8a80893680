// The window wintool's own test drives: one control of each kind the
// setup program uses, each reporting what happened to it in a static text
// that the test reads back.
//
//   uia_target [FOLDER]   FOLDER: the folder dialog's preselection
#include <windows.h>
#include <shlobj.h>

#include <string>

#include "common/TaskMemory_win.h"

namespace {

enum ControlId : int {
  kNext = 101,
  kBack = 102,
  kShortcut = 103,
  kKindGroup = 104,
  kComplete = 105,
  kCustom = 106,
  kPath = 107,
  kMessage = 108,
  kBrowse = 109,
  kStatus = 201,   // what the last button did
  kMirror = 202,   // the edit's text, updated on EN_CHANGE
  kChosen = 203,   // the folder dialog's answer
  kProcess = 204,  // this process's id, to compare with wintool pid
};

std::string g_preselection;  // the folder dialog's start, from the command line
WNDPROC g_editProc = nullptr;

void SetText(HWND window, int id, const std::string& text) {
  SetDlgItemTextA(window, id, text.c_str());
}

std::string GetText(HWND window, int id) {
  char text[1024] = {};
  GetDlgItemTextA(window, id, text, sizeof text);
  return text;
}

int CALLBACK PreselectFolder(HWND dialog, UINT message, LPARAM, LPARAM) {
  if (message == BFFM_INITIALIZED && !g_preselection.empty()) {
    SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE,
                 reinterpret_cast<LPARAM>(g_preselection.c_str()));
  }
  return 0;
}

void BrowseForFolder(HWND window) {
  BROWSEINFOA info = {};
  char name[MAX_PATH] = {};
  info.hwndOwner = window;
  info.pszDisplayName = name;
  info.lpszTitle = "Zielordner wählen";
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  info.lpfn = PreselectFolder;
  const pelmora::win::ItemList chosen(SHBrowseForFolderA(&info));
  if (!chosen) {
    SetText(window, kChosen, "abgebrochen");
    return;
  }
  char path[MAX_PATH] = {};
  SetText(window, kChosen, SHGetPathFromIDListA(chosen.Get(), path) ? path : "kein Pfad");
}

// Enter in the edit is reported, as a page would take it as "next".
LRESULT CALLBACK EditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CHAR && wParam == VK_RETURN) {
    HWND window = GetParent(edit);
    SetText(window, kStatus, "Eingabe: " + GetText(window, kPath));
    return 0;
  }
  return CallWindowProcA(g_editProc, edit, message, wParam, lParam);
}

void Add(HWND window, const char* cls, const char* text, DWORD style, int x, int y, int w, int h,
         int id) {
  CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, window,
                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr),
                  nullptr);
}

void CreateControls(HWND window) {
  Add(window, "Button", "&Weiter >", BS_DEFPUSHBUTTON | WS_TABSTOP, 300, 260, 90, 24, kNext);
  Add(window, "Button", "< &Zurück", BS_PUSHBUTTON | WS_DISABLED, 200, 260, 90, 24, kBack);
  Add(window, "Button", "Desktop-&Verknüpfung", BS_AUTOCHECKBOX | WS_TABSTOP, 10, 10, 200, 20,
      kShortcut);
  Add(window, "Button", "Art", BS_GROUPBOX, 10, 40, 200, 70, kKindGroup);
  Add(window, "Button", "&Vollständig", BS_AUTORADIOBUTTON | WS_GROUP, 20, 60, 180, 20, kComplete);
  Add(window, "Button", "&Benutzerdefiniert", BS_AUTORADIOBUTTON, 20, 82, 180, 20, kCustom);
  Add(window, "Edit", "C:\\Programme", WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP, 10, 120, 280, 22,
      kPath);
  Add(window, "Button", "&Meldung", BS_PUSHBUTTON, 10, 260, 90, 24, kMessage);
  Add(window, "Button", "&Durchsuchen...", BS_PUSHBUTTON, 300, 118, 90, 24, kBrowse);
  Add(window, "Static", "bereit", 0, 10, 150, 380, 20, kStatus);
  Add(window, "Static", "", 0, 10, 175, 380, 20, kMirror);
  Add(window, "Static", "", 0, 10, 200, 380, 20, kChosen);
  Add(window, "Static", std::to_string(GetCurrentProcessId()).c_str(), 0, 10, 225, 100, 20,
      kProcess);
  CheckRadioButton(window, kComplete, kCustom, kComplete);
  HWND edit = GetDlgItem(window, kPath);
  g_editProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(EditProc)));
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      CreateControls(window);
      return 0;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case kNext:
          SetText(window, kStatus, "Weiter gedrückt");
          return 0;
        case kBack:
          SetText(window, kStatus, "Zurück gedrückt");  // must never happen: it is disabled
          return 0;
        case kMessage:
          MessageBoxA(window, "Eine Meldung\r\nüber zwei Zeilen", "Hinweis",
                      MB_OK | MB_ICONINFORMATION);
          SetText(window, kStatus, "Meldung bestätigt");
          return 0;
        case kBrowse:
          BrowseForFolder(window);
          return 0;
        case kPath:
          if (HIWORD(wParam) == EN_CHANGE) SetText(window, kMirror, GetText(window, kPath));
          return 0;
      }
      break;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  g_preselection = commandLine;
  CoInitialize(nullptr);  // the folder dialog needs COM
  WNDCLASSA cls = {};
  cls.lpfnWndProc = WindowProc;
  cls.hInstance = instance;
  cls.hCursor = LoadCursor(nullptr, IDC_ARROW);
  cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  cls.lpszClassName = "PelmoraUiaTarget";
  if (!RegisterClassA(&cls)) return 1;
  HWND window = CreateWindowExA(0, cls.lpszClassName, "Prüfling",
                                WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 40, 30,
                                420, 330, nullptr, nullptr, instance, nullptr);
  if (!window) return 1;
  ShowWindow(window, SW_SHOW);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (IsDialogMessageA(window, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  CoUninitialize();
  return static_cast<int>(msg.wParam);
}
