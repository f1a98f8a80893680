// Names of the volumes that follow a given one, for the writer that makes a
// set and the reader that walks it. The first volume may have any extension
// (.ace, .exe, ...); the volumes after it are .c00, .c01, ... An extension
// that already is .cNN just counts on, so DATA.c00 is followed by DATA.c01,
// as the installer's media carry it. Nothing follows .c99: readers disagree
// on what the next name would be, so a set never goes beyond it.
#pragma once

#include <optional>
#include <string>

namespace pelmora::unace::format {

struct NextVolumeName {
  // In the letter case of the current .cNN extension (lower case after any
  // other extension, as the archiver writes it).
  std::string path;
  // The same name with .CNN and .cNN swapped: what copies of old media that
  // passed through another system may carry.
  std::string otherCase;
};

// The name of the volume after `currentPath`; only the extension of its last
// component matters. nullopt when no volume may follow (after .c99).
std::optional<NextVolumeName> NextVolumeNameAfter(const std::string& currentPath);

}  // namespace pelmora::unace::format
