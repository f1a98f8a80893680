// From a protocol file's bytes to what the uninstaller removes, in the
// order it removes it. A file holds one block per installation run; the
// plan is the union of all blocks, each thing once (paths and keys compare
// as Windows compares them). Every line the rules refuse is kept with its
// reason, for the summary.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "contract/KeyRules.h"
#include "contract/PathRules.h"
#include "contract/Refusal.h"

namespace pelmora::uninstall {

using contract::Reason;
using contract::Refusal;

// The product's Uninstall entry (key path) under each root where one vouches
// for the protocol; empty under a root where none does. An entry keeps its
// root: one below HKEY_CURRENT_USER, which the user's programs can write,
// never lets the plan delete the key of the same path below
// HKEY_LOCAL_MACHINE, nor the other way round.
struct ProductEntries {
  std::string machine;
  std::string user;
  const std::string& Under(contract::KeyRoot root) const {
    return root == contract::KeyRoot::LocalMachine ? machine : user;
  }
};

struct UninstallPlan {
  std::string targetFolder;             // the first block's "0" line, ending in "\"
  std::string protocolFile;             // deleted after everything else but the folders
  ProductEntries productEntry;          // the product's vouching entries
  // The setup's taking back of a failed run: a protocol it found stays.
  bool protocolFileStays = false;
  std::vector<std::string> comServers;  // unregistered before any file goes
  std::vector<std::string> files;       // the protocol not among them
  std::vector<std::string> folders;     // deepest first; the target folder not among them
  // Folders the setup made to hold the target, deepest first; each goes
  // after the target, when empty.
  std::vector<std::string> parents;
  std::vector<std::string> machineKeys;  // below HKEY_LOCAL_MACHINE
  std::vector<std::string> userKeys;     // below HKEY_CURRENT_USER
  std::vector<std::string> groups;       // Start-menu groups; "" is the Programs folder itself
  // The lines the rules refuse, each thing once; the detail is the path,
  // key ("HKEY_...\\...") or line as the summary names it.
  std::vector<Refusal> refusals;

  // Steps of the removal, for a progress bar: one per thing listed.
  std::size_t StepCount() const;
};

// protocolPath is the file's full path as the uninstaller was given it; the
// file must lie directly in the target folder it names, as the setup writes
// it (a protocol elsewhere naming a folder to empty is refused as a whole).
// The target folder must pass the target rule against systemFolders; no
// product owns Windows' own folders or all users'. productEntry names the
// product's Uninstall entries: the only key the plan may delete below
// HKEY_LOCAL_MACHINE is the machine's entry (empty: none), and a user's key
// line naming an Uninstall entry passes only as the user's entry. A protocol that cannot be used at
// all is refused (NotAProtocol, NoTargetFolder, ProtocolOutsideTarget, or
// why its target folder cannot be one) and nothing may be removed.
std::variant<UninstallPlan, Refusal> PlanUninstall(std::string_view protocolPath,
                                                   std::string_view fileBytes,
                                                   const contract::SystemFolders& systemFolders,
                                                   const ProductEntries& productEntry);

}  // namespace pelmora::uninstall
