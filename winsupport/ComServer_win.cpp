#include "winsupport/ComServer_win.h"

#include <windows.h>

#include "common/WinHandle.h"

namespace pelmora::winsupport {

bool CallServerEntry(const std::string& path, const char* entry) {
  const win::LoadedLibrary server(
      ::LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
  using Entry = HRESULT(STDAPICALLTYPE*)();
  const auto call = win::LookUpExport<Entry>(server.Get(), entry);
  return call != nullptr && call() == S_OK;
}

}  // namespace pelmora::winsupport
