// The medium builder's manifest: a readable UTF-8 text in sections, one
// "key = value" per line, from which install.pmd and the archive are made.
// README's pelmora-pack section documents every field.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "setupdesc/SetupDescription.h"

namespace pelmora::pack {

// One value as written, converted to Windows-1252, with the line it stands
// on (0: not given) and its name ("[product] name") for messages.
struct ManifestValue {
  std::string text;
  int line = 0;
  std::string field;

  bool Given() const { return line != 0; }
};

struct ShortcutEntry {
  int line = 0;  // the [shortcut] line
  ManifestValue group, name, target, icon;
};

// The one-file setup's name when [product] setup-file leaves it open.
inline constexpr const char* kDefaultSetupFileName = "Setup.exe";

struct Manifest {
  ManifestValue productName, productVersion, uninstallKey, directory, program, information;
  ManifestValue uninstaller;  // "yes" (also when left out) or "no"
  ManifestValue setupFile;    // the one-file setup's name; left out: kDefaultSetupFileName
  std::vector<ManifestValue> registryKeys;
  std::vector<ManifestValue> comServers;
  std::vector<ShortcutEntry> shortcuts;
  std::array<ManifestValue, setupdesc::kSupportValueCount> support;
  std::vector<ManifestValue> configFiles;
  ManifestValue method, level, solid, password, volumeSize;
};

// What is wrong, where: "line 12, [shortcut] icon: ...". `line` 0 for a
// field that is missing altogether.
struct ManifestProblem {
  int line = 0;
  std::string field;
  std::string message;
};

std::string Describe(const ManifestProblem& problem);

// A Windows-1252 value as messages show it: UTF-8 on Linux terminals, the
// ANSI bytes on a Windows console.
std::string ForMessage(const std::string& cp1252);

struct ParsedManifest {
  Manifest manifest;
  std::vector<ManifestProblem> problems;  // empty: the text is well formed
};

// Text as Windows' editors save it: a UTF-8 byte-order mark is dropped, and
// text that is not valid UTF-8 throughout is taken as Windows-1252 ("ANSI")
// and returned as UTF-8. One decision for the whole file, so that a line of
// umlauts cannot be read one way and the next line the other.
std::string TextAsUtf8(std::string_view bytes);

// Reads the manifest's text (see TextAsUtf8; LF or CR LF line ends). Syntax, unknown names,
// repeated single fields and text that Windows-1252 cannot hold are problems; what the values mean
// is checked by CheckManifest.
ParsedManifest ParseManifest(std::string_view utf8Text);

}  // namespace pelmora::pack
