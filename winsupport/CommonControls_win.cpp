#include <windows.h>
// After windows.h, which it builds on.
#include <commctrl.h>

#include "winsupport/CommonControls_win.h"
#include "winsupport/LibrarySearch_win.h"

namespace pelmora::winsupport {
namespace {

constexpr const char* kLibraryName = "comctl32.dll";

using InitCommonControlsExFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX* init);
using InitCommonControlsFunction = void(WINAPI*)();
using FindActCtxSectionStringFunction = BOOL(WINAPI*)(DWORD flags, const GUID* extension,
                                                      ULONG sectionId, LPCSTR name,
                                                      PACTCTX_SECTION_KEYED_DATA data);

// Whether the active activation context (the program's manifest) redirects
// the plain name to a side-by-side copy; a load by that name then never
// consults the search order. Looked up at run time: Windows 2000 has no
// activation contexts.
bool RedirectedSideBySide() {
  const auto find = win::LookUpExport<FindActCtxSectionStringFunction>(
      ::GetModuleHandleA("kernel32.dll"), "FindActCtxSectionStringA");
  if (!find) return false;
  ACTCTX_SECTION_KEYED_DATA data{};
  data.cbSize = sizeof data;
  return find(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, kLibraryName, &data) != FALSE;
}

HMODULE LoadCommonControls() {
  if (RedirectedSideBySide()) return ::LoadLibraryA(kLibraryName);
  return LoadSystemLibrary(kLibraryName).Release();
}

}  // namespace

bool InitCommonControlsFromSystem(std::uint32_t classes) noexcept {
  // Loaded once and never unloaded: the window classes it registers must
  // outlive every window of the program.
  static const HMODULE library = LoadCommonControls();
  if (!library) return false;
  if (const auto initEx =
          win::LookUpExport<InitCommonControlsExFunction>(library, "InitCommonControlsEx")) {
    INITCOMMONCONTROLSEX init{};
    init.dwSize = sizeof init;
    init.dwICC = classes;
    return initEx(&init) != FALSE;
  }
  // comctl32.dll older than 4.70 (Windows 95 without Internet Explorer 3)
  // knows only the call that registers every class it has.
  const auto initAll = win::LookUpExport<InitCommonControlsFunction>(library, "InitCommonControls");
  if (!initAll) return false;
  initAll();
  return true;
}

}  // namespace pelmora::winsupport
