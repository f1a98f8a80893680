#include "install/ComServers_win.h"

#include <windows.h>

#include "contract/PathRules.h"
#include "contract/Seal.h"
#include "contract/Sha256.h"
#include "winsupport/ComServer_win.h"
#include "winsupport/Files_win.h"

namespace pelmora::install {

common::WinResult<std::string> RegisterComFile(const std::string& path) {
  auto file = winsupport::ReadAndHold(path, contract::kLargestServer);
  if (const auto* failure = std::get_if<common::WinFailure>(&file))
    return common::FailedAs<std::string>(common::WinFailure::Subject::Server, path, failure->code);
  if (auto failure = winsupport::CallServerEntry(path, "DllRegisterServer"))
    return std::move(*failure);
  return contract::Sha256Hex(std::get<winsupport::HeldFile>(file).bytes);
}

void RegisterComServers(const std::string& targetDir,
                        const setupdesc::SetupDescription& description, StepReport& report,
                        std::vector<contract::ServerDigest>& registered) {
  for (std::int32_t i = 0; i <= description.OcxLast; ++i) {
    const std::string& name = description.OcxFiles[static_cast<std::size_t>(i)];
    const std::string path = targetDir + name;
    // A server lies below the target by the one name rule; anything else
    // is never loaded.
    if (contract::RelativePathProblem(name)) {
      report.Fail({common::WinFailure::Subject::Server, path, ERROR_INVALID_NAME});
      continue;
    }
    auto digest = RegisterComFile(path);
    if (auto* failure = std::get_if<common::WinFailure>(&digest)) {
      report.Fail(*failure);
    } else {
      report.Protocol().AddComServer(path);
      registered.push_back({path, std::move(std::get<std::string>(digest))});
    }
  }
}

}  // namespace pelmora::install
