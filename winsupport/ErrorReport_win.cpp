#include "winsupport/ErrorReport_win.h"

namespace pelmora::winsupport {

namespace {

// The window in front, so that the box is modal for it and stands above it.
HWND ActiveOwner() {
  HWND active = GetActiveWindow();
  return active && IsWindowVisible(active) ? active : nullptr;
}

const RunLog kNoLog;
const RunLog* reportLog = &kNoLog;
bool unattendedRun = false;

}  // namespace

void ReportTo(const RunLog& log, bool unattended) {
  reportLog = &log;
  unattendedRun = unattended;
}

const RunLog& ReportLog() { return *reportLog; }

bool ReportsUnattended() { return unattendedRun; }

int TellUser(HWND owner, const std::string& text, const char* caption, UINT type) {
  if (reportLog->Writes()) {
    // One log line per box: its line breaks become blanks.
    std::string line = std::string("message \"") + caption + "\": " + text;
    for (char& c : line)
      if (c == '\r' || c == '\n') c = ' ';
    reportLog->Line(line);
  }
  if (!unattendedRun) return MessageBoxA(owner, text.c_str(), caption, type);
  return (type & MB_TYPEMASK) == MB_OKCANCEL ? IDCANCEL : IDOK;
}

void ShowPlainMessage(const std::string& text) {
  TellUser(ActiveOwner(), text, kApplicationTitle, MB_OK);
}

void ShowErrorReport(const std::string& text) {
  std::string line = text;
  if (line.empty() || line.back() != '.') line += '.';
  TellUser(ActiveOwner(), line, kApplicationTitle, MB_OK | MB_ICONSTOP);
}

}  // namespace pelmora::winsupport
