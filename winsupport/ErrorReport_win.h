// The message boxes every part of the setup uses: the plain notice, the
// application's error report for errors no handler catches, and the one
// door all of them go through, which an unattended run closes.
#pragma once

#include <windows.h>

#include <string>

#include "winsupport/RunLog_win.h"

namespace pelmora::winsupport {

// The application's title: the caption of notices and error reports.
inline constexpr const char* kApplicationTitle = "Pelmora";

// Set once, before the first box: every box's text also goes to `log`; an
// unattended run shows no box at all. Boxes are raised deep inside page and
// extraction handlers, so this is the program's one setting rather than a
// parameter carried through each of them. `log` must outlive every box.
void ReportTo(const RunLog& log, bool unattended);
// The log set by ReportTo, or one that writes nothing.
const RunLog& ReportLog();
bool ReportsUnattended();

// A message box, or, unattended, its text in the log and the answer its
// default button gives: OK, or Cancel where the box offers it (nobody is
// there to insert a disk).
int TellUser(HWND owner, const std::string& text, const char* caption, UINT type);

// Application title as caption, no icon, OK.
void ShowPlainMessage(const std::string& text);

// Application title as caption, stop icon, the text with a full stop; the
// wizard then goes on waiting for the user.
void ShowErrorReport(const std::string& text);

// What Windows says about its error `code`, in the system's language and
// without the line end, `subject` in the place of the "%1" some of its
// texts hold; "Windows error <code>" where it says nothing.
std::string SystemErrorText(DWORD code, const std::string& subject);

}  // namespace pelmora::winsupport
