// A COM server whose unregistration takes three seconds: long enough for a
// test to read the window list while the uninstaller runs. It registers
// nothing and unregisters nothing.
#include <windows.h>

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllRegisterServer() { return S_OK; }

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllUnregisterServer() {
  Sleep(3000);
  return S_OK;
}
