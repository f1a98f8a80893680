// Writing the run's protocol block into the target folder under the seal
// of the product's Uninstall entries. The folder may be writable by every
// user: the file found there counts only when an entry vouches for it, the
// file is opened as itself (never through a link), and the digest the
// uninstaller will check is computed from the bytes this run wrote, not
// read back.
//
// A protocol an earlier run sealed stays provable whatever this run gets
// to: the block is appended and the whole file sealed again under every
// entry that vouched for it as well as those this run wrote, so a run that
// wrote no entry of its own (its uninstaller could not be moved, its entry
// not written) still leaves a file its earlier entry vouches for, now with
// this run's block too. A block that cannot be written whole, or whose
// digest is recorded nowhere, is cut off again, which leaves the file and
// its seal as they were. The alternative, keeping the new block apart until
// a seal covers it, would leave what this run unpacked outside every
// protocol exactly when the run fails.
//
// A protocol that no seal vouches for is never emptied: an earlier release
// wrote none, and its blocks name files only it knows of. A run that seals
// nothing (it wrote no entry) appends to it, which leaves it as untrusted as
// it was. A run that seals keeps it beside under another name
// (kSetAsideName) and starts a new file with its block. Its lines are not
// adopted under the new seal: anyone who can write the folder can write that
// file, and sealing its lines would turn such writing into groups and keys
// an elevated uninstaller deletes.
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
  std::vector<HKEY> roots;  // the roots where this run wrote it
  // Run with administrator rights: the seal goes below HKEY_LOCAL_MACHINE
  // too, and only such a seal vouches for the file found.
  bool elevated = false;
};

// The name an unsealed protocol is kept under in the target folder; a
// number follows ("...2", "...3") when the name is taken.
inline constexpr const char* kSetAsideName = "UnInstall.Log.unsealed";

struct WrittenProtocol {
  // The name (in the target folder) the protocol found there was kept
  // under because no seal vouched for it; empty when there was none.
  std::string setAside;
};

// Appends block to the target folder's protocol (targetDir ends in "\"),
// creating it when missing, and records the digest of the whole file and of
// this run's COM servers in each entry of entries.roots and in each entry
// that vouched for the file (and their seals when elevated). A file or link
// that is not a plain file of its own is removed first. A failure naming
// the file when it cannot be written, naming the value when a digest cannot
// be recorded.
common::WinResult<WrittenProtocol> WriteSealedProtocol(
    const std::string& targetDir, const std::string& block, const SealingEntries& entries,
    const std::vector<contract::ServerDigest>& servers);

}  // namespace pelmora::install
