// Names of the following volumes of a set. The first volume may have any
// extension (.ace, .exe, ...); the volumes after it are .c00, .c01, ... An
// extension that already is .cNN just counts on, so DATA.c00 is followed by
// DATA.c01.
#pragma once

#include <string>

namespace unace::archive {

struct NextVolumeNames {
  std::string lowerCase;  // X.c01: what the archiver writes
  std::string upperCase;  // X.C01: what some copies of old media carry
};

NextVolumeNames NextVolumeNameFor(const std::string& currentPath);

}  // namespace unace::archive
