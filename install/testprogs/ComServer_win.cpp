// A COM server for the registration tests. Built twice: one registers by
// writing its own path into HKEY_CURRENT_USER\Software\PelmoraTest\ComServer
// (value "Registered"), the other (PELMORA_REGISTRATION_FAILS) writes
// nothing and returns 1, success with a reservation, which counts as failure.
// Unregistering undoes the registration: the value goes (or, for the
// failing one, 1 again). A third (PELMORA_IMPORTS_HELPER) registers as the
// first but imports a library that lies only in its own folder.
#include <windows.h>

namespace {
HMODULE self = nullptr;
}

#if defined(PELMORA_IMPORTS_HELPER)
extern "C" __declspec(dllimport) int PelmoraServerHelper();
#endif

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) self = instance;
  return TRUE;
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllRegisterServer() {
#if defined(PELMORA_REGISTRATION_FAILS)
  return S_FALSE;
#else
#if defined(PELMORA_IMPORTS_HELPER)
  if (PelmoraServerHelper() != 0) return E_FAIL;
#endif
  char path[MAX_PATH] = {};
  if (GetModuleFileNameA(self, path, MAX_PATH) == 0) return E_FAIL;
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\PelmoraTest\\ComServer", 0, nullptr, 0,
                      KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return E_FAIL;
  const LONG status = RegSetValueExA(key, "Registered", 0, REG_SZ,
                                     reinterpret_cast<const BYTE*>(path), lstrlenA(path) + 1);
  RegCloseKey(key);
  return status == ERROR_SUCCESS ? S_OK : E_FAIL;
#endif
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllUnregisterServer() {
#if defined(PELMORA_REGISTRATION_FAILS)
  return S_FALSE;
#else
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\PelmoraTest\\ComServer", 0, KEY_SET_VALUE,
                    &key) != ERROR_SUCCESS)
    return E_FAIL;
  const LONG status = RegDeleteValueA(key, "Registered");
  RegCloseKey(key);
  return status == ERROR_SUCCESS ? S_OK : E_FAIL;
#endif
}
