// Whether an elevated program may trust a folder and the folders above it:
// no one but the installing account, Administrators, SYSTEM and
// TrustedInstaller may swap, rename or re-permission any of them, nor write
// into the folder that will hold what the program runs. Reading the owner
// and the access list needs Windows (winsupport/FolderSecurity_win.h);
// judging them does not.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "contract/Refusal.h"

namespace pelmora::winrules {

// The accounts that may change what an elevated program installs, besides
// the installing account itself (identifiers in their "S-1-..." text form).
inline constexpr char kAdministratorsSid[] = "S-1-5-32-544";
inline constexpr char kSystemSid[] = "S-1-5-18";
inline constexpr char kTrustedInstallerSid[] =
    "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";
// Placeholders of inheritable entries, which Windows replaces by the
// creator of each new file or folder (and its primary group); in an
// entry of the folder itself they grant no one anything.
inline constexpr char kCreatorOwnerSid[] = "S-1-3-0";
inline constexpr char kCreatorGroupSid[] = "S-1-3-1";
// Stands for the folder's owner, whoever that is.
inline constexpr char kOwnerRightsSid[] = "S-1-3-4";

// The access rights as Windows defines them for files and folders.
namespace rights {
inline constexpr std::uint32_t kAddFile = 0x0002;          // FILE_ADD_FILE / FILE_WRITE_DATA
inline constexpr std::uint32_t kAddSubfolder = 0x0004;     // FILE_ADD_SUBDIRECTORY / APPEND_DATA
inline constexpr std::uint32_t kWriteExtended = 0x0010;    // FILE_WRITE_EA
inline constexpr std::uint32_t kDeleteChild = 0x0040;      // FILE_DELETE_CHILD
inline constexpr std::uint32_t kWriteAttributes = 0x0100;  // FILE_WRITE_ATTRIBUTES
inline constexpr std::uint32_t kDelete = 0x00010000;
inline constexpr std::uint32_t kReadControl = 0x00020000;
inline constexpr std::uint32_t kWriteDac = 0x00040000;
inline constexpr std::uint32_t kWriteOwner = 0x00080000;
inline constexpr std::uint32_t kSynchronize = 0x00100000;
inline constexpr std::uint32_t kGenericAll = 0x10000000;
inline constexpr std::uint32_t kGenericExecute = 0x20000000;
inline constexpr std::uint32_t kGenericWrite = 0x40000000;
inline constexpr std::uint32_t kGenericRead = 0x80000000;
// FILE_ALL_ACCESS, FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE:
// what the generic rights stand for on a file or folder.
inline constexpr std::uint32_t kFileAll = 0x001F01FF;
inline constexpr std::uint32_t kFileRead = 0x00120089;
inline constexpr std::uint32_t kFileWrite = 0x00120116;
inline constexpr std::uint32_t kFileExecute = 0x001200A0;
}  // namespace rights

// The flags of an access entry, as Windows keeps them in its header.
namespace entryflags {
inline constexpr std::uint8_t kObjectInherit = 0x01;     // passed on to files made inside
inline constexpr std::uint8_t kContainerInherit = 0x02;  // passed on to folders made inside
inline constexpr std::uint8_t kNoPropagate = 0x04;       // to the next level only
inline constexpr std::uint8_t kInheritOnly = 0x08;  // for what is made inside, not for this one
inline constexpr std::uint8_t kInherited = 0x10;    // came from the folder above
}  // namespace entryflags

struct AccessEntry {
  bool allows = true;      // false: a deny entry
  std::string trustee;     // "S-1-..."
  std::uint32_t mask = 0;  // as written, generic rights not yet mapped
  std::uint8_t flags = 0;  // entryflags
};

struct FolderFacts {
  std::string path;  // as a refusal names it
  // A junction or symbolic link, or a folder whose attributes, owner or
  // access list could not be read: either way its contents are not known
  // to be what the path names.
  bool linkOrUnreadable = false;
  std::string owner;    // "S-1-..."
  bool noDacl = false;  // no access list at all: everyone may do everything
  std::vector<AccessEntry> entries;
};

// The installing account and the fixed ones that always count as trusted.
std::vector<std::string> TrustedAccounts(const std::string& installingUser);

// The file rights a mask stands for, generic rights replaced by what they
// mean for a file or folder.
std::uint32_t MapGenericRights(std::uint32_t mask);

// chain: the existing folders from the drive root (first) down to the
// target or, when the target does not exist yet, to the deepest of its
// parents that does; lastIsTarget says which. trusted: TrustedAccounts.
// Nothing when no other account can change the chain; else the first
// folder from the root that fails, with why (LinkedFolder,
// ReplaceableFolder, ForeignPermissions, WritableTarget).
//
// Deny entries are not counted: whether one takes effect depends on its
// place in the list and on the groups of each account, which an account
// may not share with the one denied. A deny entry therefore never lets a
// folder pass that its allow entries would fail, and never fails one.
std::optional<contract::Refusal> JudgeFolderChain(const std::vector<FolderFacts>& chain,
                                                  bool lastIsTarget,
                                                  const std::vector<std::string>& trusted);

}  // namespace pelmora::winrules
