#include "winrules/FolderAccess.h"

#include <gtest/gtest.h>

#include <functional>

namespace pelmora::winrules {
namespace {

using contract::Reason;
using namespace entryflags;

constexpr char kUser[] = "S-1-5-21-1-2-3-1001";   // the installing account
constexpr char kOther[] = "S-1-5-21-1-2-3-1002";  // another account
constexpr char kUsers[] = "S-1-5-32-545";
constexpr char kAuthenticatedUsers[] = "S-1-5-11";
constexpr char kEveryone[] = "S-1-1-0";
constexpr char kAllAppPackages[] = "S-1-15-2-1";
constexpr std::uint32_t kFullControl = 0x1F01FF;
constexpr std::uint32_t kModify = 0x1301BF;
constexpr std::uint32_t kReadAndRun = 0x1200A9;

AccessEntry Allow(const char* who, std::uint32_t mask, std::uint8_t flags = 0) {
  return {true, who, mask, flags};
}
AccessEntry Deny(const char* who, std::uint32_t mask, std::uint8_t flags = 0) {
  return {false, who, mask, flags};
}

// A drive root as Windows sets up its system drive: every user may make
// folders in it, and what they make inside inherits Modify for them.
FolderFacts DriveRoot() {
  return {"C:\\",
          false,
          kTrustedInstallerSid,
          false,
          {Allow(kAdministratorsSid, kFullControl, kObjectInherit | kContainerInherit),
           Allow(kSystemSid, kFullControl, kObjectInherit | kContainerInherit),
           Allow(kCreatorOwnerSid, rights::kGenericAll,
                 kObjectInherit | kContainerInherit | kInheritOnly),
           Allow(kUsers, kReadAndRun, kObjectInherit | kContainerInherit),
           Allow(kAuthenticatedUsers, kModify, kObjectInherit | kContainerInherit | kInheritOnly),
           Allow(kAuthenticatedUsers, rights::kAddSubfolder)}};
}

FolderFacts ProgramFiles() {
  constexpr std::uint8_t kAll = kObjectInherit | kContainerInherit | kInheritOnly;
  return {"C:\\Program Files",
          false,
          kTrustedInstallerSid,
          false,
          {Allow(kTrustedInstallerSid, kFullControl),
           Allow(kTrustedInstallerSid, rights::kGenericAll, kContainerInherit | kInheritOnly),
           Allow(kSystemSid, kModify), Allow(kSystemSid, rights::kGenericAll, kAll),
           Allow(kAdministratorsSid, kModify), Allow(kAdministratorsSid, rights::kGenericAll, kAll),
           Allow(kUsers, kReadAndRun),
           Allow(kUsers, rights::kGenericRead | rights::kGenericExecute, kAll),
           Allow(kCreatorOwnerSid, rights::kGenericAll, kAll), Allow(kAllAppPackages, kReadAndRun),
           Allow(kAllAppPackages, rights::kGenericRead | rights::kGenericExecute, kAll)}};
}

// A folder the elevated setup made: nothing inherited, only SYSTEM and
// Administrators may change it, users may read and run.
FolderFacts Protected(const char* path) {
  return {path,
          false,
          kAdministratorsSid,
          false,
          {Allow(kSystemSid, kFullControl, kObjectInherit | kContainerInherit),
           Allow(kAdministratorsSid, kFullControl, kObjectInherit | kContainerInherit),
           Allow(kUsers, kReadAndRun, kObjectInherit | kContainerInherit)}};
}

// A folder made directly below the drive root by anyone else: what the
// root passes on, Modify for every user among it.
FolderFacts InheritedFromRoot(const char* path) {
  constexpr std::uint8_t kPassed = kObjectInherit | kContainerInherit | kInherited;
  return {
      path,
      false,
      kAdministratorsSid,
      false,
      {Allow(kAdministratorsSid, kFullControl, kPassed), Allow(kSystemSid, kFullControl, kPassed),
       Allow(kCreatorOwnerSid, rights::kGenericAll, kPassed | kInheritOnly),
       Allow(kUsers, kReadAndRun, kPassed), Allow(kAuthenticatedUsers, kModify, kPassed)}};
}

const std::vector<std::string> kTrusted = TrustedAccounts(kUser);

std::optional<contract::Refusal> Judge(const std::vector<FolderFacts>& chain,
                                       bool lastIsTarget = true) {
  return JudgeFolderChain(chain, lastIsTarget, kTrusted);
}

// "passes", or the reason and the folder named.
std::string Verdict(const std::optional<contract::Refusal>& refusal) {
  if (!refusal) return "passes";
  const char* names[] = {"link", "replaceable", "permissions", "writable"};
  const int index = static_cast<int>(refusal->reason) - static_cast<int>(Reason::LinkedFolder);
  return (index >= 0 && index < 4 ? names[index] : "other") + std::string(" ") + refusal->detail;
}

TEST(FolderAccess, TheUsualChainsPassAndTheRootLetsUsersMakeFolders) {
  EXPECT_EQ(Verdict(Judge({DriveRoot(), ProgramFiles(), Protected("C:\\Program Files\\Firma"),
                           Protected("C:\\Program Files\\Firma\\Produkt")})),
            "passes");
  // Before the setup has made them: the deepest existing folder is not the
  // target, and the drive root's right to make folders refuses nothing.
  EXPECT_EQ(Verdict(Judge({DriveRoot(), ProgramFiles()}, false)), "passes");
  EXPECT_EQ(Verdict(Judge({DriveRoot()}, false)), "passes");
  EXPECT_EQ(Verdict(Judge({DriveRoot(), Protected("C:\\Firma"), Protected("C:\\Firma\\Produkt")})),
            "passes");
  // What Wine reports for its drive C: and a folder made in it: owned by
  // the installing account, everyone may read.
  FolderFacts wineFolder{"C:\\Firma",
                         false,
                         kUser,
                         false,
                         {Allow(kSystemSid, kFullControl, kObjectInherit | kContainerInherit),
                          Allow(kUser, kFullControl, kObjectInherit | kContainerInherit),
                          Allow(kEveryone, kReadAndRun, kObjectInherit | kContainerInherit)}};
  FolderFacts wineRoot = wineFolder;
  wineRoot.path = "C:\\";
  EXPECT_EQ(Verdict(Judge({wineRoot, wineFolder})), "passes");
  // The same with every user allowed to write, as Wine reports a folder
  // that all may write on the host (mode 777).
  wineFolder.entries[2].mask = 0x1301FF;
  EXPECT_EQ(Verdict(Judge({wineRoot, wineFolder})), "replaceable C:\\Firma");
  // Without an installing account only the fixed ones count.
  EXPECT_EQ(Verdict(JudgeFolderChain({wineRoot}, false, TrustedAccounts(""))), "permissions C:\\");
}

TEST(FolderAccess, AFolderBelowTheRootThatInheritsModifyForAllUsersFailsByName) {
  // Every user may rename it and put another in its place, whatever lies
  // below: a protected folder, or nothing yet.
  EXPECT_EQ(Verdict(Judge({DriveRoot(), InheritedFromRoot("C:\\Company"),
                           Protected("C:\\Company\\Product")})),
            "replaceable C:\\Company");
  EXPECT_EQ(Verdict(Judge({DriveRoot(), InheritedFromRoot("C:\\Company")}, false)),
            "replaceable C:\\Company");
  EXPECT_EQ(Verdict(Judge({})), "link ");  // nothing known at all never passes
}

TEST(FolderAccess, OwnersListsLinksAndTheParentsRightToDeleteEachFailTheirFolder) {
  const std::vector<FolderFacts> sound{DriveRoot(), Protected("C:\\Firma"),
                                       Protected("C:\\Firma\\Produkt")};
  struct Case {
    std::size_t folder;
    std::function<void(FolderFacts&)> change;
    const char* verdict;
  };
  const Case cases[] = {
      {2, [](FolderFacts& f) { f.owner = kOther; }, "permissions C:\\Firma\\Produkt"},
      {2, [](FolderFacts& f) { f.owner.clear(); }, "permissions C:\\Firma\\Produkt"},
      {1, [](FolderFacts& f) { f.owner = kUser; }, "passes"},
      // No access list: everyone may do everything, the root too.
      {1, [](FolderFacts& f) { f.noDacl = true; }, "replaceable C:\\Firma"},
      {0, [](FolderFacts& f) { f.noDacl = true; }, "permissions C:\\"},
      // An empty list lets no one in but the owner.
      {2, [](FolderFacts& f) { f.entries.clear(); }, "passes"},
      {1, [](FolderFacts& f) { f.linkOrUnreadable = true; }, "link C:\\Firma"},
      {0, [](FolderFacts& f) { f.linkOrUnreadable = true; }, "link C:\\"},
      {1, [](FolderFacts& f) { f.entries.push_back(Allow(kUsers, rights::kWriteDac)); },
       "permissions C:\\Firma"},
      {0, [](FolderFacts& f) { f.entries.push_back(Allow(kOther, rights::kWriteOwner)); },
       "permissions C:\\"},
      // Deleting what the parent holds renames or replaces the child.
      {1, [](FolderFacts& f) { f.entries.push_back(Allow(kEveryone, rights::kDeleteChild)); },
       "replaceable C:\\Firma\\Produkt"},
      {0, [](FolderFacts& f) { f.entries.push_back(Allow(kEveryone, rights::kDeleteChild)); },
       "replaceable C:\\Firma"},
      {2, [](FolderFacts& f) { f.entries.push_back(Allow(kOther, rights::kDelete)); },
       "replaceable C:\\Firma\\Produkt"},
      // The placeholders grant nothing on the folder itself; the owner's
      // stand-in is only as trusted as the owner.
      {1, [](FolderFacts& f) { f.entries.push_back(Allow(kCreatorOwnerSid, kFullControl)); },
       "passes"},
      {1,
       [](FolderFacts& f) {
         f.owner = kOther;
         f.entries.push_back(Allow(kOwnerRightsSid, rights::kReadControl));
       },
       "permissions C:\\Firma"},
  };
  for (const Case& c : cases) {
    std::vector<FolderFacts> chain = sound;
    c.change(chain[c.folder]);
    EXPECT_EQ(Verdict(Judge(chain)), c.verdict) << "folder " << c.folder;
  }
}

TEST(FolderAccess, DenyEntriesNeverDecideAndGenericRightsCountAsWhatTheyMean) {
  // A deny for everyone ahead of the inherited Modify does not save it...
  FolderFacts company = InheritedFromRoot("C:\\Company");
  company.entries.insert(company.entries.begin(), Deny(kEveryone, kFullControl));
  EXPECT_EQ(Verdict(Judge({DriveRoot(), company, Protected("C:\\Company\\Product")})),
            "replaceable C:\\Company");
  // ...and denies alone refuse nothing.
  FolderFacts product = Protected("C:\\Firma\\Produkt");
  product.entries.push_back(Deny(kOther, kFullControl, kObjectInherit | kContainerInherit));
  product.entries.push_back(Deny(kAdministratorsSid, rights::kDelete));
  EXPECT_EQ(Verdict(Judge({DriveRoot(), Protected("C:\\Firma"), product})), "passes");

  EXPECT_EQ(MapGenericRights(rights::kGenericAll), rights::kFileAll);
  EXPECT_EQ(MapGenericRights(rights::kGenericRead | rights::kGenericExecute | rights::kDelete),
            rights::kFileRead | rights::kFileExecute | rights::kDelete);
  struct Case {
    std::uint32_t mask;
    bool onTarget;
    const char* verdict;
  };
  const Case cases[] = {
      {rights::kGenericAll, false, "replaceable C:\\Firma"},
      {rights::kGenericAll, true, "replaceable C:\\Firma\\Produkt"},
      // Writing holds no right to delete or re-permission: harmless above
      // the target, in it the files could be changed.
      {rights::kGenericWrite, false, "passes"},
      {rights::kGenericWrite, true, "writable C:\\Firma\\Produkt"},
      {rights::kAddSubfolder, false, "passes"},
      {rights::kAddFile, true, "writable C:\\Firma\\Produkt"},
      {rights::kWriteAttributes, true, "writable C:\\Firma\\Produkt"},
  };
  for (const Case& c : cases) {
    std::vector<FolderFacts> chain{DriveRoot(), Protected("C:\\Firma"),
                                   Protected("C:\\Firma\\Produkt")};
    chain[c.onTarget ? 2 : 1].entries.push_back(Allow(kUsers, c.mask));
    EXPECT_EQ(Verdict(Judge(chain)), c.verdict) << std::hex << c.mask << " " << c.onTarget;
  }
}

TEST(FolderAccess, InheritableEntriesOfTheTargetCountForWhatIsMadeInIt) {
  constexpr std::uint8_t kPassOnOnly = kObjectInherit | kContainerInherit | kInheritOnly;
  struct Case {
    AccessEntry entry;
    bool onTarget;
    const char* verdict;
  };
  const Case cases[] = {
      // Not the folder's own right: above the target nothing made later
      // lies on the way.
      {Allow(kUsers, kModify, kPassOnOnly), false, "passes"},
      {Allow(kUsers, kModify, kPassOnOnly), true, "writable C:\\Firma\\Produkt"},
      {Allow(kUsers, rights::kGenericWrite, kObjectInherit | kInheritOnly), true,
       "writable C:\\Firma\\Produkt"},
      {Allow(kOther, rights::kWriteDac, kContainerInherit | kInheritOnly | kNoPropagate), true,
       "writable C:\\Firma\\Produkt"},
      {Allow(kUsers, kReadAndRun, kPassOnOnly), true, "passes"},
      // Only who may write into the target becomes a creator there...
      {Allow(kCreatorOwnerSid, rights::kGenericAll, kPassOnOnly), true, "passes"},
      // ...but the creator's primary group may be any group.
      {Allow(kCreatorGroupSid, rights::kGenericAll, kPassOnOnly), true,
       "writable C:\\Firma\\Produkt"},
  };
  for (const Case& c : cases) {
    std::vector<FolderFacts> chain{DriveRoot(), Protected("C:\\Firma"),
                                   Protected("C:\\Firma\\Produkt")};
    chain[c.onTarget ? 2 : 1].entries.push_back(c.entry);
    EXPECT_EQ(Verdict(Judge(chain)), c.verdict) << c.entry.trustee << " " << c.onTarget;
  }
}

}  // namespace
}  // namespace pelmora::winrules
