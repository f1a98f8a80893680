#include "install/ComServers_win.h"

#include <windows.h>

#include "common/WinHandle.h"
#include "install/RunTexts.h"

namespace pelmora::install {

bool RegisterComFile(const std::string& path) {
  // The altered search path lets the server find the libraries it ships
  // beside itself, without the setup's own folder coming into the search.
  const win::LoadedLibrary server(
      ::LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
  using RegisterServer = HRESULT(STDAPICALLTYPE*)();
  const auto registerServer = win::LookUpExport<RegisterServer>(server.Get(), "DllRegisterServer");
  // Codes above 0 report success with a reservation; only S_OK counts.
  return registerServer != nullptr && registerServer() == S_OK;
}

void RegisterComServers(const std::string& targetDir,
                        const setupdesc::SetupDescription& description, StepReport& report) {
  for (std::int32_t i = 0; i <= description.OcxLast; ++i) {
    const std::string path = targetDir + description.OcxFiles[static_cast<std::size_t>(i)];
    if (RegisterComFile(path))
      report.Protocol().AddComServer(path);
    else
      report.Fail(kRegisterFailedText + path);
  }
}

}  // namespace pelmora::install
