// Start-up of the setup program: everything before the first page waits
// for the user.
#pragma once

#include <windows.h>

namespace pelmora::app {

// The application's title: the caption of plain messages and error reports.
inline constexpr const char* kApplicationTitle = "Pelmora";

// Runs the setup program; returns its exit code. Never lets an exception
// escape into Windows.
int RunSetupProgram(HINSTANCE instance);

}  // namespace pelmora::app
