#include "winsupport/ComServer_win.h"

#include <windows.h>

#include <utility>

#include "common/WinHandle.h"

namespace pelmora::winsupport {

std::optional<HeldComServer> HoldComServer(const std::string& path, std::size_t limit) {
  std::optional<HeldFile> file = ReadAndHold(path, limit);
  if (!file) return std::nullopt;
  return HeldComServer{path, std::move(*file)};
}

bool CallServerEntry(const HeldComServer& server, const char* entry) {
  const win::LoadedLibrary library(
      ::LoadLibraryExA(server.path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
  using Entry = HRESULT(STDAPICALLTYPE*)();
  const auto call = win::LookUpExport<Entry>(library.Get(), entry);
  return call != nullptr && call() == S_OK;
}

}  // namespace pelmora::winsupport
