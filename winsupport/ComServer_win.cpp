#include "winsupport/ComServer_win.h"

#include <windows.h>

#include "common/WinHandle.h"

namespace pelmora::winsupport {

std::optional<common::WinFailure> CallServerEntry(const std::string& path, const char* entry) {
  const win::LoadedLibrary server(
      ::LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
  std::uint32_t code = ::GetLastError();
  using Entry = HRESULT(STDAPICALLTYPE*)();
  if (server) {
    const auto call = win::LookUpExport<Entry>(server.Get(), entry);
    code = call == nullptr ? ERROR_PROC_NOT_FOUND : static_cast<std::uint32_t>(call());
    if (code == static_cast<std::uint32_t>(S_OK)) return std::nullopt;
  }
  return common::Failed(common::WinFailure::Subject::Server, path, code);
}

}  // namespace pelmora::winsupport
