#include "winsupport/Seal_win.h"

#include "contract/Seal.h"
#include "winsupport/Registry_win.h"

namespace pelmora::winsupport {

contract::KeyRoot KeyRootOf(HKEY root) {
  return root == HKEY_LOCAL_MACHINE ? contract::KeyRoot::LocalMachine
                                    : contract::KeyRoot::CurrentUser;
}

RecordedSeal ReadSeal(HKEY root, const std::string& entryKeyPath, bool elevated) {
  if (!elevated)
    return {ReadRegString(root, entryKeyPath, contract::kProtocolDigestValue),
            ReadRegString(root, entryKeyPath, contract::kServerDigestsValue).value_or("")};
  // A seal left behind by an entry that was deleted some other way vouches
  // for nothing: the uninstaller must be started from an entry.
  const std::string seal = contract::SealKeyPath(entryKeyPath, KeyRootOf(root));
  if (seal.empty() || !RegKeyExists(root, entryKeyPath)) return {};
  RecordedSeal recorded{
      ReadRegString(HKEY_LOCAL_MACHINE, seal, contract::kProtocolDigestValue),
      ReadRegString(HKEY_LOCAL_MACHINE, seal, contract::kServerDigestsValue).value_or("")};
  // A machine entry is as much the administrators' alone as the seal: its
  // own digest, which an earlier release wrote without a seal, counts too.
  if (!recorded.protocolDigest && root == HKEY_LOCAL_MACHINE)
    return {ReadRegString(root, entryKeyPath, contract::kProtocolDigestValue),
            ReadRegString(root, entryKeyPath, contract::kServerDigestsValue).value_or("")};
  return recorded;
}

std::optional<common::WinFailure> RemoveSealOfRemovedEntry(HKEY root,
                                                           const std::string& entryKeyPath) {
  std::string seal = contract::SealKeyPath(entryKeyPath, KeyRootOf(root));
  if (seal.empty() || RegKeyExists(root, entryKeyPath) || !RegKeyExists(HKEY_LOCAL_MACHINE, seal))
    return std::nullopt;
  if (auto failure = DeleteRegKey(HKEY_LOCAL_MACHINE, seal)) return failure;
  // The root's folder of seals, the seals' key and our own, each while empty;
  // "Software" itself is never among them.
  const std::size_t kept = std::string_view(contract::kSealsKey).find('\\');
  for (std::size_t cut = seal.rfind('\\'); cut != std::string::npos && cut > kept;
       cut = seal.rfind('\\')) {
    seal.resize(cut);
    if (DeleteEmptyRegKey(HKEY_LOCAL_MACHINE, seal)) break;
  }
  return std::nullopt;
}

}  // namespace pelmora::winsupport
