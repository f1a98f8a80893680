#include "tools/pelmora-pack/CodeSigning.h"

#include <stdexcept>

namespace pelmora::pack {

std::optional<std::string> SigningUnavailable() {
  return "signing is not supported by the Windows build of pelmora-pack; build the medium on "
         "Linux with osslsigncode, or sign stUnInst.exe before (--uninstaller) and Install.exe "
         "after with signtool";
}

void SignProgram(const std::filesystem::path&, const std::filesystem::path&, const SigningRequest&,
                 std::int64_t) {
  throw std::runtime_error(*SigningUnavailable());
}

void ExportCertificates(const SigningRequest&, const std::filesystem::path&) {
  throw std::runtime_error(*SigningUnavailable());
}

void VerifySignature(const std::filesystem::path&, const std::string&,
                     const std::filesystem::path&) {
  throw std::runtime_error(*SigningUnavailable());
}

}  // namespace pelmora::pack
