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

}  // namespace pelmora::winsupport
