// Entry of the setup program.
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include "app/Wizard_win.h"
#include "common/ProgramPath.h"
#include "common/WinHandle.h"
#include "pages/ErrorReport_win.h"

namespace {

// The progress bar's class. Looked up at run time, so that the program does
// not import the common controls library by name.
void RegisterProgressBarClass() {
  static pelmora::win::LoadedLibrary controls(LoadLibraryA("comctl32.dll"));
  using Init = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
  if (auto init = pelmora::win::LookUpExport<Init>(controls.Get(), "InitCommonControlsEx")) {
    INITCOMMONCONTROLSEX which{sizeof which, ICC_PROGRESS_CLASS};
    init(&which);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  int exitCode = 1;
  pelmora::pages::ReportingErrors([&] {
    // The folder dialog and the shell links need COM on this thread.
    OleInitialize(nullptr);
    RegisterProgressBarClass();
    pelmora::app::Wizard wizard(instance, pelmora::win::OwnProgramPath());
    exitCode = wizard.Run();
  });
  OleUninitialize();
  return exitCode;
}
