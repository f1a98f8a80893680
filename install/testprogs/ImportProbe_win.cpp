// Calls every step of the installation run, so that the import checks see
// what those steps need of Windows. Never run: it exists to be linked.
#include <windows.h>

#include <string>
#include <vector>

#include "install/ComServers_win.h"
#include "install/RegistrySettings_win.h"
#include "install/Shortcuts_win.h"
#include "install/UninstallEntry_win.h"
#include "install/Uninstaller_win.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  using namespace pelmora::install;
  const pelmora::setupdesc::SetupDescription description;
  std::vector<std::string> protocol;
  try {
    ImportRegistryFile("", "");
    DeleteRegistryKeys(description);
    MoveUninstaller("", "", nullptr);
    WriteUninstallEntries("", "", {}, description, protocol);
    CreateRegistryKeys(description, protocol);
    RegisterComServers("", description, protocol, nullptr);
    CreateShortcuts("", "", StartMenuProgramsFolder(), description, protocol);
  } catch (...) {
    return 1;
  }
  return static_cast<int>(protocol.size());
}
