// Entry of the setup program.
#include <windows.h>

#include <commctrl.h>

#include "app/Wizard_win.h"
#include "common/ProgramPath.h"
#include "winsupport/ComApartment_win.h"
#include "winsupport/CommonControls_win.h"
#include "winsupport/LibrarySearch_win.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // Before anything else is loaded: a library planted beside a downloaded
  // setup must never be found by its name.
  pelmora::winsupport::HardenLibrarySearch();
  // The folder dialog and the shell links need COM on this thread, until
  // the wizard is gone.
  const auto apartment = pelmora::winsupport::EnterOleApartment();
  pelmora::winsupport::InitCommonControlsFromSystem(ICC_PROGRESS_CLASS);
  pelmora::app::Wizard wizard(instance, pelmora::win::OwnProgramPath());
  return wizard.Run();
}
