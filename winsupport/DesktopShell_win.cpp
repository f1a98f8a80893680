#include "winsupport/DesktopShell_win.h"

#include <windows.h>
// After windows.h, which they build on.
#include <exdisp.h>
#include <oleauto.h>
#include <servprov.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shobjidl.h>

#include <vector>

#include "common/WinHandle.h"

namespace pelmora::winsupport {
namespace {

// A string of the automation allocator, freed when the owner goes.
struct SysStringTraits {
  using Value = BSTR;
  static Value Empty() noexcept { return nullptr; }
  static bool IsValid(Value s) noexcept { return s != nullptr; }
  static void Close(Value s) noexcept { ::SysFreeString(s); }
};
using SysString = win::UniqueResource<SysStringTraits>;

// The text in the ANSI code page, as the setup's paths are, made wide.
SysString WideString(const std::string& text) {
  const int length =
      ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::vector<wchar_t> wide(static_cast<std::size_t>(length) + 1);
  ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return SysString(::SysAllocStringLen(wide.data(), static_cast<UINT>(length)));
}

// A VARIANT that borrows a string or holds a number; never cleared, as it
// owns nothing.
VARIANT Borrowing(BSTR text) {
  VARIANT value;
  ::VariantInit(&value);
  value.vt = VT_BSTR;
  value.bstrVal = text;
  return value;
}

VARIANT Number(long number) {
  VARIANT value;
  ::VariantInit(&value);
  value.vt = VT_I4;
  value.lVal = number;
  return value;
}

template <typename Interface>
HRESULT Query(IUnknown* from, win::ComInterface<Interface>& to) {
  return from->QueryInterface(__uuidof(Interface), reinterpret_cast<void**>(to.Receive()));
}

// The shell application object of the desktop's window, by the steps
// Windows documents for it; S_OK with it, else the first step's code.
HRESULT DesktopShellApplication(win::ComInterface<IShellDispatch2>& shell) {
  win::ComInterface<IShellWindows> windows;
  HRESULT result =
      ::CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, __uuidof(IShellWindows),
                         reinterpret_cast<void**>(windows.Receive()));
  if (FAILED(result)) return result;
  VARIANT location;
  ::VariantInit(&location);
  VARIANT root;
  ::VariantInit(&root);
  long window = 0;
  win::ComInterface<IDispatch> desktop;
  result = windows.Get()->FindWindowSW(&location, &root, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH,
                                       desktop.Receive());
  // S_FALSE: there is no desktop window among the shell's.
  if (result != S_OK || !desktop) return FAILED(result) ? result : E_FAIL;
  win::ComInterface<IServiceProvider> services;
  if (FAILED(result = Query(desktop.Get(), services))) return result;
  win::ComInterface<IShellBrowser> browser;
  result = services.Get()->QueryService(SID_STopLevelBrowser, __uuidof(IShellBrowser),
                                        reinterpret_cast<void**>(browser.Receive()));
  if (FAILED(result)) return result;
  win::ComInterface<IShellView> view;
  if (FAILED(result = browser.Get()->QueryActiveShellView(view.Receive()))) return result;
  win::ComInterface<IDispatch> background;
  result = view.Get()->GetItemObject(SVGIO_BACKGROUND, __uuidof(IDispatch),
                                     reinterpret_cast<void**>(background.Receive()));
  if (FAILED(result)) return result;
  win::ComInterface<IShellFolderViewDual> folderView;
  if (FAILED(result = Query(background.Get(), folderView))) return result;
  win::ComInterface<IDispatch> application;
  if (FAILED(result = folderView.Get()->get_Application(application.Receive()))) return result;
  if (!application) return E_FAIL;
  return Query(application.Get(), shell);
}

// The process's token, for reading only.
win::UniqueHandle ProcessToken() {
  win::UniqueHandle token;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.Receive())) return {};
  return token;
}

}  // namespace

bool RunsElevated() {
  const win::UniqueHandle token = ProcessToken();
  if (!token) return false;
  // TokenElevation came with Vista; before it the call fails, and there is
  // no elevation to tell.
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  if (!::GetTokenInformation(token.Get(), TokenElevation, &elevation, sizeof elevation, &size))
    return false;
  if (elevation.TokenIsElevated == 0) return false;
  // With UAC off the user's desktop holds the full rights too: no
  // difference then (TokenElevationTypeDefault).
  TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
  return ::GetTokenInformation(token.Get(), TokenElevationType, &type, sizeof type, &size) &&
         type == TokenElevationTypeFull;
}

std::optional<common::WinFailure> StartAsDesktopUser(const std::string& program,
                                                     const std::string& folder) {
  win::ComInterface<IShellDispatch2> shell;
  HRESULT result = DesktopShellApplication(shell);
  if (SUCCEEDED(result)) {
    const SysString file = WideString(program);
    const SysString directory = WideString(folder);
    const SysString verb = WideString("open");
    VARIANT none;
    ::VariantInit(&none);
    result = shell.Get()->ShellExecute(file.Get(), none, Borrowing(directory.Get()),
                                       Borrowing(verb.Get()), Number(SW_SHOWNORMAL));
  }
  if (SUCCEEDED(result)) return std::nullopt;
  return common::Failed(common::WinFailure::Subject::File, program,
                        static_cast<std::uint32_t>(result));
}

}  // namespace pelmora::winsupport
