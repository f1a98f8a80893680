// The two message boxes every part of the wizard uses: the plain notice and
// the application's error report for errors no handler catches.
#pragma once

#include <windows.h>

#include <string>

namespace pelmora::winsupport {

// The application's title: the caption of notices and error reports.
inline constexpr const char* kApplicationTitle = "Pelmora";

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
