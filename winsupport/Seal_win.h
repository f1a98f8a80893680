// Where a program finds the values that vouch for a product's protocol
// (contract/Seal.h), according to its rights: one with administrator rights
// trusts only the seal below HKEY_LOCAL_MACHINE that an elevated setup
// wrote, any other program the entry's own values, as before. Windows only.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "common/WinFailure.h"
#include "contract/KeyRules.h"

namespace pelmora::winsupport {

// The root's name for the rules and the seal's key.
contract::KeyRoot KeyRootOf(HKEY root);

struct RecordedSeal {
  std::optional<std::string> protocolDigest;  // nothing: nothing vouches
  std::string serverDigests;                  // contract::JoinServerDigests' text
};

// The values that vouch for the protocol of the entry root\entryKeyPath.
// elevated: the copy in the entry's seal, and only while the entry itself
// exists (for a machine entry without a seal, its own values, which only
// administrators can write either); otherwise the entry's own values.
RecordedSeal ReadSeal(HKEY root, const std::string& entryKeyPath, bool elevated);

// Deletes the seal of root\entryKeyPath once that entry is gone, and the
// seals' keys above it that are left empty. Nothing when there is nothing
// to delete; a failure naming the key that stays.
std::optional<common::WinFailure> RemoveSealOfRemovedEntry(HKEY root,
                                                           const std::string& entryKeyPath);

}  // namespace pelmora::winsupport
