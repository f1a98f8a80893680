// Entry of the setup program.
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include "app/Wizard_win.h"
#include "common/ProgramPath.h"
#include "pages/ErrorReport_win.h"
#include "winsupport/CommonControls.h"
#include "winsupport/LibrarySearch.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // Before anything else is loaded: a library planted beside a downloaded
  // setup must never be found by its name.
  pelmora::winsupport::HardenLibrarySearch();
  int exitCode = 1;
  pelmora::pages::ReportingErrors([&] {
    // The folder dialog and the shell links need COM on this thread.
    OleInitialize(nullptr);
    pelmora::winsupport::InitCommonControlsFromSystem(ICC_PROGRESS_CLASS);
    pelmora::app::Wizard wizard(instance, pelmora::win::OwnProgramPath());
    exitCode = wizard.Run();
  });
  OleUninitialize();
  return exitCode;
}
