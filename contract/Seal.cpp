#include "contract/Seal.h"

#include "contract/AnsiText.h"
#include "contract/Sha256.h"
#include "contract/UninstallEntry.h"

namespace pelmora::contract {

std::string JoinServerDigests(const std::vector<ServerDigest>& servers) {
  std::string text;
  for (const ServerDigest& server : servers) {
    if (!text.empty()) text += '|';
    text += server.digest + "*" + server.path;
  }
  return text;
}

std::vector<ServerDigest> SplitServerDigests(std::string_view text) {
  std::vector<ServerDigest> servers;
  while (!text.empty()) {
    const std::size_t end = text.find('|');
    const std::string_view item = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    const std::size_t star = item.find('*');
    if (star == std::string_view::npos || star == 0 || star + 1 == item.size()) continue;
    servers.push_back({std::string(item.substr(star + 1)), std::string(item.substr(0, star))});
  }
  return servers;
}

std::string SealKeyPath(std::string_view entryKeyPath, KeyRoot root) {
  const std::string parent = std::string(kUninstallKeyParent) + "\\";
  if (entryKeyPath.size() <= parent.size() ||
      !EqualsIgnoreCaseAnsi(entryKeyPath.substr(0, parent.size()), parent))
    return {};
  const std::string_view name = entryKeyPath.substr(parent.size());
  // A name with "\\" would put one product's seal inside another's.
  if (name.find('\\') != std::string_view::npos) return {};
  return std::string(kSealsKey) + "\\" + std::string(RootName(root)) + "\\" + std::string(name);
}

std::vector<ServerDigest> MergeServerDigests(std::vector<ServerDigest> earlier,
                                             const std::vector<ServerDigest>& now) {
  for (const ServerDigest& server : now) {
    bool replaced = false;
    for (ServerDigest& old : earlier)
      if (EqualsIgnoreCaseAnsi(old.path, server.path)) {
        old = server;
        replaced = true;
      }
    if (!replaced) earlier.push_back(server);
  }
  return earlier;
}

std::optional<std::string> RecordedDigest(const std::vector<ServerDigest>& servers,
                                          std::string_view path) {
  for (const ServerDigest& server : servers)
    if (EqualsIgnoreCaseAnsi(server.path, path)) return server.digest;
  return std::nullopt;
}

std::optional<Refusal> CheckSeal(std::string_view fileBytes,
                                 const std::vector<std::optional<std::string>>& protocolDigests) {
  const std::string digest = Sha256Hex(fileBytes);
  bool anyDigest = false;
  for (const std::optional<std::string>& recorded : protocolDigests) {
    if (!recorded) continue;
    anyDigest = true;
    if (*recorded == digest) return std::nullopt;
  }
  return Refusal(anyDigest ? Reason::Altered : Reason::NotVouched);
}

}  // namespace pelmora::contract
