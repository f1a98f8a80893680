// How the setup vouches for what it leaves in a folder others may write to:
// after each run it keeps the SHA-256 digest of the whole protocol, and of
// every COM server it registered, in the product's Uninstall entry, which
// only an administrator (or the user the entry belongs to) can write. The
// uninstaller trusts the protocol and loads a server only when the digest
// matches.
//
// An entry below HKEY_CURRENT_USER can be written by every program the user
// runs, elevated or not. So a setup with administrator rights also keeps
// both values in a seal of its own below HKEY_LOCAL_MACHINE, which only
// administrators can write, and a program with administrator rights trusts
// that seal alone: a program of the user's without them cannot make the
// uninstaller, elevated, run a server or delete a key it names. A seal
// belongs to one entry under one root; the entry of the same name under the
// other root is another entry with a seal of its own.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "contract/KeyRules.h"
#include "contract/Refusal.h"

namespace pelmora::contract {

// The entry's values beside the twelve of the list of installed programs.
inline constexpr const char* kProtocolDigestValue = "ProtocolDigest";
inline constexpr const char* kServerDigestsValue = "ServerDigests";

// Below HKEY_LOCAL_MACHINE: the seals an elevated setup wrote, one key per
// product entry and root, named by SealKeyPath.
inline constexpr std::string_view kSealsKey = "Software\\Pelmora\\Seals";

// kSealsKey\<root's name>\<the entry's key name>, holding kProtocolDigestValue
// and kServerDigestsValue as the entry does. Empty for a key that is not one
// product entry directly below the Uninstall key: such a key has no seal.
std::string SealKeyPath(std::string_view entryKeyPath, KeyRoot root);

// The largest COM server file the setup registers and the uninstaller
// reads again: far above any a product ships, so a larger file is none the
// setup registered.
inline constexpr std::size_t kLargestServer = 256 * 1024 * 1024;

struct ServerDigest {
  std::string path;
  std::string digest;  // Sha256Hex of the file the setup registered
  bool operator==(const ServerDigest&) const = default;
};

// The value's text: "<digest>*<path>" for each server, joined by "|" (no
// path holds either character).
std::string JoinServerDigests(const std::vector<ServerDigest>& servers);
// Entries that do not read as one are left out.
std::vector<ServerDigest> SplitServerDigests(std::string_view text);

// An earlier run's servers with this run's: a path registered again takes
// its new digest (paths compared as Windows compares them).
std::vector<ServerDigest> MergeServerDigests(std::vector<ServerDigest> earlier,
                                             const std::vector<ServerDigest>& now);

// The digest recorded for path, if any.
std::optional<std::string> RecordedDigest(const std::vector<ServerDigest>& servers,
                                          std::string_view path);

// Nothing when an entry that names the protocol holds its digest.
// protocolDigests: the ProtocolDigest value of each entry that names the
// protocol (nothing for an entry without one). NotVouched when none holds a
// digest (or none names the protocol), Altered when they hold digests, none
// of them the file's: it was changed.
std::optional<Refusal> CheckSeal(std::string_view fileBytes,
                                 const std::vector<std::optional<std::string>>& protocolDigests);

}  // namespace pelmora::contract
