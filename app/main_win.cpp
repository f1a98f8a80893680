// Entry of the setup program.
#include <windows.h>

#include "app/StartUp.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  return pelmora::app::RunSetupProgram(instance);
}
