// What the setup program learns about the running Windows, the user and its
// own file. Windows only; failures give the neutral results named below.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "winrules/WindowsVersion.h"

namespace pelmora::winsupport {

// The rules' names for the facts gathered here (winrules/WindowsVersion.h).
using winrules::WindowsPlatform;
using winrules::WindowsVersionFacts;
using winrules::WindowsVersionFlags;

// Collected once, on first use, and kept for the life of the process.
const WindowsVersionFacts& CurrentWindowsVersionFacts();
unsigned GetWindowsVersionClass();
WindowsVersionFlags CurrentWindowsVersionFlags();

// Whether the user belongs to the built-in Administrators group; always
// false outside the NT family, and false when the token cannot be read.
bool IsAdministrator();

// Whether the program runs with administrator rights: the Administrators
// group enabled in its token (elevated, where UAC filters an
// administrator's token). An administrator's program that Windows started
// filtered has no more rights than a user's, and acts as one.
bool RunsWithAdministratorRights();

// Whether a token's groups hold the built-in Administrators group, in any
// state (enabled, or for deny only), or with enabledOnly only enabled.
bool HoldsAdministratorsGroup(const TOKEN_GROUPS& groups, bool enabledOnly = false);

struct FixedFileVersion {
  std::uint32_t fileMS = 0;
  std::uint32_t fileLS = 0;
  std::uint32_t productMS = 0;
  std::uint32_t productLS = 0;
};

// The fixed part of a file's version resource; nothing when it has none.
std::optional<FixedFileVersion> ReadFixedFileVersion(const std::string& path);

// "major.minor.release.build" of the file version, or "0" without a resource.
std::string GetFileVersionString(const std::string& path);

}  // namespace pelmora::winsupport
