#include "tools/pelmora-pack/CodeSigning.h"

#include <stdexcept>

namespace pelmora::pack {

std::optional<std::string> SigningUnavailable() {
  return "signing is not supported by the Windows build of pelmora-pack; sign Install.exe with "
         "signtool, or build the medium on Linux with osslsigncode";
}

void SignProgram(const std::filesystem::path&, const std::filesystem::path&,
                 const SigningRequest&) {
  throw std::runtime_error(*SigningUnavailable());
}

}  // namespace pelmora::pack
