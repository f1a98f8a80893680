#include "winsupport/ErrorReport_win.h"

#include <string>

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
