// The manifest's [archive] section as the ACE writer's options.
#pragma once

#include <cstdint>
#include <vector>

#include "acewriter/ArchiveOptions.h"
#include "tools/pelmora-pack/Manifest.h"

namespace pelmora::pack {

// The smallest volume the builder writes: a volume must hold the headers of
// the entries it starts and some of their data.
inline constexpr std::uint64_t kMinVolumeSize = 64u * 1024u;
// The key derivation reads at most this many password bytes; a longer
// password would seem to protect more than it does.
inline constexpr std::size_t kMaxPasswordLength = 50;

// Defaults: ACE 2.0, solid, level 5 (the smallest medium), no password, one
// volume. Every value that cannot be used is added to `problems`.
acewriter::ArchiveOptions ArchiveSettings(const Manifest& manifest,
                                          std::vector<ManifestProblem>& problems);

}  // namespace pelmora::pack
