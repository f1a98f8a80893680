// Signs Install.exe and the uninstaller with the packager's code-signing
// certificate, so that Windows names the publisher instead of warning about
// an unknown program (the uninstaller too: the setup moves it into the
// Windows folder and Windows starts it elevated), and checks each signature
// before the medium is finished. On Linux through Debian's osslsigncode
// (and openssl, for the certificate); Windows builds of the tool do not
// sign.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace pelmora::pack {

struct SigningRequest {
  std::filesystem::path certificate;  // PKCS#12 (.pfx) with the private key
  std::string password;               // of the .pfx
  // A timestamp server (RFC 3161), whose countersignature keeps the
  // signature valid after the certificate expires; empty: none.
  std::string timestampUrl;
};

// Why signing cannot be done on this system; nothing when it can.
std::optional<std::string> SigningUnavailable();

// Writes `program` signed to `signedCopy`, with `signingTime` (seconds
// since 1970) as the signature's time rather than the clock's, so that the
// same program signs to the same bytes. Throws std::runtime_error with the
// signing tool's own message when it fails.
void SignProgram(const std::filesystem::path& program, const std::filesystem::path& signedCopy,
                 const SigningRequest& request, std::int64_t signingTime);

// Writes the certificates of the request's .pfx (PEM) to `anchors`: what a
// signature made with it must verify against. Throws std::runtime_error
// with openssl's message when the file cannot be read.
void ExportCertificates(const SigningRequest& request, const std::filesystem::path& anchors);

// Throws std::runtime_error with the tool's report unless the signature of
// `program` verifies with the certificates in `anchors` as the only trust
// anchors. The message calls the program `shownAs` (a work file's name
// would tell the packager nothing).
void VerifySignature(const std::filesystem::path& program, const std::string& shownAs,
                     const std::filesystem::path& anchors);

// The programs that sign and that read the certificate.
inline constexpr const char* kSigningTool = "osslsigncode";
inline constexpr const char* kCertificateTool = "openssl";

}  // namespace pelmora::pack
