#include "install/ComServers_win.h"

#include <windows.h>

#include "contract/PathRules.h"
#include "winsupport/ComServer_win.h"

namespace pelmora::install {

common::WinResult<std::string> RegisterComFile(const std::string& path, bool folderTrusted) {
  auto held = winsupport::HoldServer(path);
  if (auto* failure = std::get_if<common::WinFailure>(&held)) return std::move(*failure);
  auto& server = std::get<winsupport::HeldServer>(held);
  if (auto failure = winsupport::CallServerEntry(server, "DllRegisterServer", folderTrusted))
    return std::move(*failure);
  return std::move(server.digest);
}

void RegisterComServers(const std::string& targetDir,
                        const setupdesc::SetupDescription& description, bool targetTrusted,
                        StepReport& report, std::vector<contract::ServerDigest>& registered) {
  for (std::int32_t i = 0; i <= description.OcxLast; ++i) {
    const std::string& name = description.OcxFiles[static_cast<std::size_t>(i)];
    const std::string path = targetDir + name;
    // A server lies below the target by the one name rule; anything else
    // is never loaded.
    if (contract::RelativePathProblem(name)) {
      report.Fail({common::WinFailure::Subject::Server, path, ERROR_INVALID_NAME});
      continue;
    }
    auto digest = RegisterComFile(path, targetTrusted);
    if (auto* failure = std::get_if<common::WinFailure>(&digest)) {
      report.Fail(*failure);
    } else {
      report.Protocol().AddComServer(path);
      registered.push_back({path, std::move(std::get<std::string>(digest))});
    }
  }
}

}  // namespace pelmora::install
