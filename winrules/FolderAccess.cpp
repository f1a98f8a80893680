#include "winrules/FolderAccess.h"

#include <algorithm>

namespace pelmora::winrules {
namespace {

using contract::Reason;
using contract::Refusal;
using namespace rights;

// Whoever holds one of these on the target can put files into it or
// change those there: what the elevated program runs from it would be
// theirs.
constexpr std::uint32_t kWriteInto =
    kAddFile | kAddSubfolder | kDeleteChild | kWriteExtended | kWriteAttributes;
// Whoever holds one of these on a file or folder made inside the target
// can change or replace it after the program has put it there.
constexpr std::uint32_t kChangeMade = kWriteInto | kDelete | kWriteDac | kWriteOwner;

bool Holds(const std::vector<std::string>& accounts, const std::string& sid) {
  return !sid.empty() && std::find(accounts.begin(), accounts.end(), sid) != accounts.end();
}

// What accounts outside `trusted` may do: to the folder itself, and to
// what is made inside it through its inheritable entries.
struct ForeignRights {
  std::uint32_t own = 0;
  std::uint32_t passedOn = 0;
};

ForeignRights ForeignRightsOf(const FolderFacts& folder, const std::vector<std::string>& trusted) {
  if (folder.noDacl) return {kFileAll, kFileAll};
  const bool ownerTrusted = Holds(trusted, folder.owner);
  ForeignRights foreign;
  for (const AccessEntry& entry : folder.entries) {
    if (!entry.allows) continue;  // see JudgeFolderChain
    const std::uint32_t mask = MapGenericRights(entry.mask);
    const bool trustedEntry =
        Holds(trusted, entry.trustee) || (entry.trustee == kOwnerRightsSid && ownerTrusted);
    const bool placeholder = entry.trustee == kCreatorOwnerSid || entry.trustee == kCreatorGroupSid;
    if ((entry.flags & entryflags::kInheritOnly) == 0 && !trustedEntry && !placeholder)
      foreign.own |= mask;
    // The creator of a thing made inside needed a right to write into the
    // folder, which is judged by itself; the creator's primary group may be
    // any group.
    const bool passedToTrusted = trustedEntry || entry.trustee == kCreatorOwnerSid;
    if ((entry.flags & (entryflags::kObjectInherit | entryflags::kContainerInherit)) != 0 &&
        !passedToTrusted)
      foreign.passedOn |= mask;
  }
  return foreign;
}

}  // namespace

std::vector<std::string> TrustedAccounts(const std::string& installingUser) {
  std::vector<std::string> accounts{kAdministratorsSid, kSystemSid, kTrustedInstallerSid};
  if (!installingUser.empty()) accounts.push_back(installingUser);
  return accounts;
}

std::uint32_t MapGenericRights(std::uint32_t mask) {
  std::uint32_t mapped = mask & ~(kGenericAll | kGenericExecute | kGenericWrite | kGenericRead);
  if (mask & kGenericAll) mapped |= kFileAll;
  if (mask & kGenericExecute) mapped |= kFileExecute;
  if (mask & kGenericWrite) mapped |= kFileWrite;
  if (mask & kGenericRead) mapped |= kFileRead;
  return mapped;
}

std::optional<Refusal> JudgeFolderChain(const std::vector<FolderFacts>& chain, bool lastIsTarget,
                                        const std::vector<std::string>& trusted) {
  // Without even the drive root nothing is known about the way.
  if (chain.empty()) return Refusal(Reason::LinkedFolder);
  std::uint32_t parentOwn = 0;
  for (std::size_t i = 0; i < chain.size(); ++i) {
    const FolderFacts& folder = chain[i];
    if (folder.linkOrUnreadable) return Refusal(Reason::LinkedFolder, folder.path);
    const ForeignRights foreign = ForeignRightsOf(folder, trusted);
    // A drive root cannot be renamed or deleted; every folder below it can,
    // by whoever may delete it or delete what its parent holds.
    if (i > 0 && ((foreign.own & kDelete) != 0 || (parentOwn & kDeleteChild) != 0))
      return Refusal(Reason::ReplaceableFolder, folder.path);
    // An owner may always rewrite the access list, whatever it says.
    if (!Holds(trusted, folder.owner) || (foreign.own & (kWriteDac | kWriteOwner)) != 0)
      return Refusal(Reason::ForeignPermissions, folder.path);
    // The folders above the target may let others make things beside the
    // way (a drive root lets every user make folders); the target may not.
    if (lastIsTarget && i + 1 == chain.size() &&
        ((foreign.own & kWriteInto) != 0 || (foreign.passedOn & kChangeMade) != 0))
      return Refusal(Reason::WritableTarget, folder.path);
    parentOwn = foreign.own;
  }
  return std::nullopt;
}

}  // namespace pelmora::winrules
