#include "install/ComServers_win.h"

#include "contract/Seal.h"
#include "contract/Sha256.h"
#include "install/RunTexts.h"
#include "winsupport/ComServer_win.h"
#include "winsupport/Files_win.h"

namespace pelmora::install {

std::optional<std::string> RegisterComFile(const std::string& path) {
  const std::optional<winsupport::HeldFile> file =
      winsupport::ReadAndHold(path, contract::kLargestServer);
  if (!file || !winsupport::CallServerEntry(path, "DllRegisterServer")) return std::nullopt;
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
