// The installer manifest Windows' package manager needs to list a one-file
// setup: its identity, where it is downloaded, its SHA-256, the switches of
// an unattended run and what the exit codes mean.
#pragma once

#include <string>
#include <variant>

namespace pelmora::pack {

struct WingetFacts {
  // Windows-1252, as the manifest's texts are kept.
  std::string publisher;     // [support] publisher
  std::string productName;   // [product] name
  std::string version;       // four numbers
  std::string uninstallKey;  // the Uninstall entry's name: the package's product code
  std::string installerUrl;  // where the vendor publishes the file (http or https), UTF-8
  std::string sha256;        // of the file, 64 hex digits
};

// Why a manifest cannot be written, in words for the vendor.
struct WingetProblem {
  std::string message;
};

// "Publisher.Product" from the two names: each part without blanks, dots
// and the characters the package manager refuses, at most 32 characters;
// or why it cannot be made.
std::variant<std::string, WingetProblem> PackageIdentifier(const std::string& publisher,
                                                           const std::string& productName);

// The manifest as YAML (UTF-8, LF), or the reason it cannot be written
// (no publisher, an address that is not http or https).
std::variant<std::string, WingetProblem> WingetInstallerManifest(const WingetFacts& facts);

}  // namespace pelmora::pack
