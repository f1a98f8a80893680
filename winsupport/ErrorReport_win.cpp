#include "winsupport/ErrorReport_win.h"

#include <string>

namespace pelmora::winsupport {

namespace {

// The window in front, so that the box is modal for it and stands above it.
HWND ActiveOwner() {
  HWND active = GetActiveWindow();
  return active && IsWindowVisible(active) ? active : nullptr;
}

}  // namespace

void ShowPlainMessage(const std::string& text) {
  MessageBoxA(ActiveOwner(), text.c_str(), kApplicationTitle, MB_OK);
}

void ShowErrorReport(const std::string& text) {
  std::string line = text;
  if (line.empty() || line.back() != '.') line += '.';
  MessageBoxA(ActiveOwner(), line.c_str(), kApplicationTitle, MB_OK | MB_ICONSTOP);
}

std::string SystemErrorText(DWORD code, const std::string& subject) {
  char text[512];
  DWORD length = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, 0, text, sizeof text, nullptr);
  while (length > 0 && static_cast<unsigned char>(text[length - 1]) <= ' ') --length;
  if (length == 0) return "Windows error " + std::to_string(code);
  std::string said(text, length);
  if (const std::size_t insert = said.find("%1"); insert != std::string::npos)
    said.replace(insert, 2, subject);
  return said;
}

}  // namespace pelmora::winsupport
