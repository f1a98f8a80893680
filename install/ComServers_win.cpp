#include "install/ComServers_win.h"

#include <windows.h>

#include "common/WinHandle.h"
#include "contract/Sha256.h"
#include "install/RunTexts.h"
#include "winsupport/Files_win.h"

namespace pelmora::install {
namespace {

// Far above any COM server a product ships.
constexpr std::size_t kLargestServer = 256 * 1024 * 1024;

}  // namespace

std::optional<std::string> RegisterComFile(const std::string& path) {
  const std::optional<winsupport::HeldFile> file = winsupport::ReadAndHold(path, kLargestServer);
  if (!file) return std::nullopt;
  // The altered search path lets the server find the libraries it ships
  // beside itself, without the setup's own folder coming into the search.
  const win::LoadedLibrary server(
      ::LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
  using RegisterServer = HRESULT(STDAPICALLTYPE*)();
  const auto registerServer = win::LookUpExport<RegisterServer>(server.Get(), "DllRegisterServer");
  // Codes above 0 report success with a reservation; only S_OK counts.
  if (registerServer == nullptr || registerServer() != S_OK) return std::nullopt;
  return contract::Sha256Hex(file->bytes);
}

void RegisterComServers(const std::string& targetDir,
                        const setupdesc::SetupDescription& description, StepReport& report,
                        std::vector<contract::ServerDigest>& registered) {
  for (std::int32_t i = 0; i <= description.OcxLast; ++i) {
    const std::string path = targetDir + description.OcxFiles[static_cast<std::size_t>(i)];
    if (std::optional<std::string> digest = RegisterComFile(path)) {
      report.Protocol().AddComServer(path);
      registered.push_back({path, std::move(*digest)});
    } else {
      report.Fail(kRegisterFailedText + path);
    }
  }
}

}  // namespace pelmora::install
