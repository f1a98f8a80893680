// The sample product's main program: it only says that it runs.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  MessageBoxA(nullptr, "Die Pelmora-Demo läuft.", "Pelmora Demo", MB_OK | MB_ICONINFORMATION);
  return 0;
}
