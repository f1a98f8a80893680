#include "tools/pelmora-pack/WingetManifest.h"

#include <cstddef>

#include "acewriter/Cp1252.h"
#include "contract/AnsiText.h"
#include "contract/ExitCodes.h"

namespace pelmora::pack {
namespace {

// What the package manager makes of each of our exit codes besides success.
struct ReturnResponse {
  int code;
  const char* response;
};
constexpr ReturnResponse kReturnResponses[] = {
    {contract::kExitRefused, "contactSupport"},
    {contract::kExitOutOfMemory, "insufficientMemory"},
    {contract::kExitUsage, "invalidParameter"},
    {contract::kExitTargetRefused, "custom"},
    {contract::kExitDowngradeRefused, "downgrade"},
    {contract::kExitCancelled, "cancelledByUser"},
    {contract::kExitFailedRemovable, "contactSupport"},
    {contract::kExitFailedNotRemovable, "contactSupport"},
};

// One part of the identifier: the package manager takes no blank, dot,
// path character or control character there.
std::string IdentifierPart(const std::string& cp1252) {
  std::string part;
  for (const char c : acewriter::Cp1252ToUtf8(cp1252)) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= ' ' || byte == 0x7F) continue;
    if (std::string_view(".\\/:*?\"<>|").find(c) != std::string_view::npos) continue;
    part += c;
  }
  // Cut at 32 characters, never inside one.
  std::size_t characters = 0, end = 0;
  for (; end < part.size(); ++end) {
    if ((static_cast<unsigned char>(part[end]) & 0xC0) == 0x80) continue;
    if (characters++ == 32) break;
  }
  return part.substr(0, end);
}

// A YAML scalar in single quotes, which escape nothing but the quote.
std::string Quoted(const std::string& utf8) {
  std::string text = "'";
  for (const char c : utf8) {
    text += c;
    if (c == '\'') text += '\'';
  }
  return text + "'";
}

bool IsWebAddress(const std::string& url) {
  const std::string head = contract::UpperAnsi(std::string_view(url).substr(0, 8));
  const std::size_t scheme = head.starts_with("HTTPS://") ? 8 : head.starts_with("HTTP://") ? 7 : 0;
  if (scheme == 0 || url.size() == scheme) return false;
  for (const char c : url)
    if (static_cast<unsigned char>(c) <= ' ' || c == 0x7F) return false;
  return true;
}

}  // namespace

std::variant<std::string, WingetProblem> PackageIdentifier(const std::string& publisher,
                                                           const std::string& productName) {
  const std::string vendor = IdentifierPart(publisher);
  const std::string product = IdentifierPart(productName);
  if (vendor.empty())
    return WingetProblem{
        "the package identifier is made of [support] publisher and the product's name; "
        "publisher is empty or holds no character it could use"};
  if (product.empty())
    return WingetProblem{"the product's name holds no character a package identifier can use"};
  return vendor + "." + product;
}

std::variant<std::string, WingetProblem> WingetInstallerManifest(const WingetFacts& facts) {
  const auto identifier = PackageIdentifier(facts.publisher, facts.productName);
  if (const auto* problem = std::get_if<WingetProblem>(&identifier)) return *problem;
  if (!IsWebAddress(facts.installerUrl))
    return WingetProblem{"the download address \"" + facts.installerUrl +
                         "\" must start with http:// or https:// and hold no blank"};
  std::string yaml =
      "# Installer manifest for Windows' package manager, written by pelmora-pack.\n"
      "# Publish it with the version and default-locale manifests of the package.\n";
  yaml += "PackageIdentifier: " + std::get<0>(identifier) + "\n";
  yaml += "PackageVersion: " + facts.version + "\n";
  yaml += "InstallerType: exe\n";
  yaml += "InstallModes:\n  - interactive\n  - silent\n  - silentWithProgress\n";
  // The folder is quoted: the manager puts the log's switch after it.
  yaml += "InstallerSwitches:\n  Silent: /S\n  SilentWithProgress: /SP\n";
  yaml += "  InstallLocation: '/D=\"<INSTALLPATH>\"'\n  Log: '/LOG=\"<LOGPATH>\"'\n";
  yaml += "ExpectedReturnCodes:\n";
  for (const ReturnResponse& entry : kReturnResponses)
    yaml += "  - InstallerReturnCode: " + std::to_string(entry.code) +
            "\n    ReturnResponse: " + entry.response + "\n";
  yaml += "ProductCode: " + Quoted(acewriter::Cp1252ToUtf8(facts.uninstallKey)) + "\n";
  yaml += "Installers:\n  - Architecture: x86\n";
  yaml += "    InstallerUrl: " + Quoted(facts.installerUrl) + "\n";
  yaml += "    InstallerSha256: ";
  yaml += contract::UpperAnsi(facts.sha256);
  yaml += "\nManifestType: installer\nManifestVersion: 1.6.0\n";
  return yaml;
}

}  // namespace pelmora::pack
