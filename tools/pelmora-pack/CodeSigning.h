// Signs Install.exe with the packager's code-signing certificate, so that
// Windows names the publisher instead of warning about an unknown program.
// On Linux through Debian's osslsigncode; Windows builds of the tool do not
// sign.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace pelmora::pack {

struct SigningRequest {
  std::filesystem::path certificate;  // PKCS#12 (.pfx) with the private key
  std::string password;               // of the .pfx
};

// Why signing cannot be done on this system; nothing when it can.
std::optional<std::string> SigningUnavailable();

// Writes `program` signed to `signedCopy`. Throws std::runtime_error with
// the signing tool's own message when it fails.
void SignProgram(const std::filesystem::path& program, const std::filesystem::path& signedCopy,
                 const SigningRequest& request);

// The program that signs.
inline constexpr const char* kSigningTool = "osslsigncode";

}  // namespace pelmora::pack
