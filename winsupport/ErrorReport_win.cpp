#include "winsupport/ErrorReport_win.h"

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

}  // namespace pelmora::winsupport
