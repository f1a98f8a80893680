// How the setup vouches for what it leaves in a folder others may write to:
// after each run it keeps the SHA-256 digest of the whole protocol, and of
// every COM server it registered, in the product's Uninstall entry, which
// only an administrator (or the user the entry belongs to) can write. The
// uninstaller trusts the protocol and loads a server only when the digest
// matches.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "contract/Refusal.h"

namespace pelmora::contract {

// The entry's values beside the twelve of the list of installed programs.
inline constexpr const char* kProtocolDigestValue = "ProtocolDigest";
inline constexpr const char* kServerDigestsValue = "ServerDigests";

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
