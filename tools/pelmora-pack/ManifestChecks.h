// What the setup program needs of a manifest's values: the fixed lines its
// reader accepts, the entries its arrays hold, and the files the payload
// must bring along.
#pragma once

#include <string>
#include <vector>

#include "tools/pelmora-pack/Manifest.h"
#include "tools/pelmora-pack/PayloadIndex.h"

namespace pelmora::pack {

// Registry and shortcut entries use slots 1..255, COM servers 0..255.
inline constexpr std::size_t kMaxRegistryKeys = 255;
inline constexpr std::size_t kMaxShortcuts = 255;
inline constexpr std::size_t kMaxComServers = 256;

// Every problem of the [product], [registry], [com], [shortcut], [support]
// and [config-files] values; empty when install.pmd can be written.
std::vector<ManifestProblem> CheckManifest(const Manifest& manifest, const PayloadIndex& payload);

// The lines of the information text file (read as TextAsUtf8 reads the
// manifest) in Windows-1252. `source` is the manifest's [product] information value;
// problems name it and the file's line.
std::vector<std::string> InformationLines(std::string_view fileBytes, const ManifestValue& source,
                                          std::vector<ManifestProblem>& problems);

}  // namespace pelmora::pack
