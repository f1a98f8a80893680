// Where the setup's description and the archive's first volume come from:
// the folder beside the program (a folder medium), or the program's own
// file, which carries both after its image (a one-file setup,
// contract/CarriedData.h). A program that carries data reads nothing
// beside it: its folder is often a download folder any program of the user
// can write, and a description planted there must not be read.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "common/WinFailure.h"
#include "common/WinHandle.h"

namespace pelmora::setupdesc {

// The archive's first volume: the whole file at `path` (further volumes
// beside it), or, when `length` is not 0, those bytes of it from `offset`.
struct ArchiveLocation {
  std::string path;
  std::uint64_t offset = 0;
  std::uint64_t length = 0;
  bool Carried() const { return length != 0; }
};

enum class MediumKind { Folder, Carried, DamagedCarriedData };

struct SetupMedium {
  MediumKind kind = MediumKind::Folder;
  // The description's bytes; nothing when a folder medium has none.
  std::optional<std::string> description;
  ArchiveLocation firstVolume;
  // A one-file setup's own file, held so that nobody can write it between
  // the check of its digest and the end of the run (only readers beside).
  win::UniqueHandle held;
};

// Finds out which kind of medium the program at `programPath` (in
// `setupDir`, ending in "\") is. Carried data is checked against its
// digest first, read in pieces, and the description is taken from the very
// bytes checked; data that fails any check is DamagedCarriedData. A file
// that cannot be read is a failure naming it.
common::WinResult<SetupMedium> LoadSetupMedium(const std::string& programPath,
                                               const std::string& setupDir);

}  // namespace pelmora::setupdesc
