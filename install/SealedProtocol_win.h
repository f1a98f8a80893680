// Writing the run's protocol block into the target folder under the seal
// of the product's Uninstall entries. The folder may be writable by every
// user: the file found there counts only when an entry vouches for it, the
// file is opened as itself (never through a link), and the digest the
// uninstaller will check is computed from the bytes this run wrote, not
// read back.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "common/WinFailure.h"
#include "contract/Seal.h"

namespace pelmora::install {

struct SealingEntries {
  std::string keyPath;      // the product's Uninstall entry, below each root
  std::vector<HKEY> roots;  // the roots where this run wrote it; none: nothing is sealed
};

// Appends block to the target folder's protocol (targetDir ends in "\"),
// creating it when missing, and records the digest of the whole file and of
// this run's COM servers in each entry. An existing protocol that no entry
// vouches for (changed behind the setup's back, or left by a run without
// an entry) is replaced by the block: its lines cannot be trusted, and an
// uninstaller could not use them anyway. A file or link that is not a plain
// file of its own is removed first. A failure naming the file when it
// cannot be written, naming the value when a digest cannot be recorded.
std::optional<common::WinFailure> WriteSealedProtocol(
    const std::string& targetDir, const std::string& block, const SealingEntries& entries,
    const std::vector<contract::ServerDigest>& servers);

}  // namespace pelmora::install
