#include "uninstall/Removal_win.h"

#include <windows.h>

#include <variant>

#include "common/WinHandle.h"
#include "contract/AnsiText.h"
#include "contract/CommandLine.h"
#include "contract/KeyRules.h"
#include "contract/Seal.h"
#include "contract/UninstallEntry.h"
#include "uninstall/FileRemoval_win.h"
#include "uninstall/ShortcutRemoval_win.h"
#include "winsupport/ComServer_win.h"
#include "winsupport/Files_win.h"
#include "winsupport/Registry_win.h"

namespace pelmora::uninstall {

using contract::KeyRoot;
using contract::RootName;
using contract::SortDeepestFirst;
using contract::TargetFolder;
namespace {

// Runs the server's DllUnregisterServer, as administrator, only when its
// file is byte for byte the one the setup registered (held from the check
// until the call is done, so that it cannot be exchanged in between).
std::optional<Refusal> UnregisterServer(const std::string& path,
                                        const std::optional<std::string>& recordedDigest,
                                        bool targetTrusted) {
  if (!recordedDigest) return Reason::ServerChanged;
  const auto held = winsupport::HoldServer(path);
  const auto* server = std::get_if<winsupport::HeldServer>(&held);
  if (!server || server->digest != *recordedDigest) return Reason::ServerChanged;
  if (winsupport::CallServerEntry(*server, "DllUnregisterServer", targetTrusted))
    return Reason::NotUnregistered;
  return std::nullopt;
}

// An Uninstall entry is the product's when it starts the uninstaller with
// this protocol; an altered protocol must not remove another product's.
bool IsOtherProductsEntry(HKEY root, const std::string& key, const std::string& protocolPath) {
  const std::string entry = contract::UninstallEntryOf(key);
  if (entry.empty()) return false;
  const auto command = winsupport::ReadRegString(root, entry, contract::kUninstallStringValue);
  return command &&
         !contract::SamePath(contract::SplitCommandLine(*command).argument, protocolPath);
}

// A parent of a removed key goes when the rules let it be deleted (a
// settings key, the vendor's own "Software\Firma" made for
// "Software\Firma\Tool" among them) and nothing is left in it: empty, it
// holds nothing of anybody's. "Software" itself, the shared trees and
// everything below HKEY_LOCAL_MACHINE but the product's entry stay.
bool MayGoWhenEmpty(const std::string& parent, KeyRoot rootName, const std::string& productEntry) {
  return std::holds_alternative<std::string>(
      contract::CheckProtocolKey(parent, rootName, productEntry));
}

// A key the protocol records is removed by its own step, not as a parent.
bool Recorded(const std::vector<std::string>& keys, const std::string& key) {
  for (const std::string& recorded : keys)
    if (contract::EqualsIgnoreCaseAnsi(recorded, key)) return true;
  return false;
}

// The vendor's key that the protocol records goes after every other key,
// and only when nothing else is in it: the vendor's other products keep
// theirs. Otherwise the summary lists it with the reason.
void RemoveVendorKey(const std::string& key, Outcome& outcome) {
  if (!winsupport::RegKeyExists(HKEY_CURRENT_USER, key)) return;
  const auto failure = winsupport::DeleteEmptyRegKey(HKEY_CURRENT_USER, key);
  if (!failure) {
    outcome.Gone(Kind::Key, "HKEY_CURRENT_USER\\" + key);
  } else if (failure->code == ERROR_DIR_NOT_EMPTY) {
    outcome.Leave(Reason::KeyNotEmpty, "HKEY_CURRENT_USER\\" + key);
  } else {
    outcome.Leave(Reason::Failed, "HKEY_CURRENT_USER\\" + key, failure->code);
  }
}

void RemoveKey(HKEY root, KeyRoot rootName, const std::string& key, const UninstallPlan& plan,
               Outcome& outcome) {
  const std::string& protocolPath = plan.protocolFile;
  if (!winsupport::RegKeyExists(root, key)) return;
  // The summary names a key that stays with its root, and one Windows
  // would not delete with Windows' code.
  const bool othersEntry = IsOtherProductsEntry(root, key, protocolPath);
  const auto failure =
      othersEntry ? std::optional<common::WinFailure>() : winsupport::DeleteRegKey(root, key);
  if (othersEntry || failure) {
    const bool throughLink = failure && failure->code == winsupport::kThroughRegistryLink;
    outcome.Leave(othersEntry   ? Reason::OtherProduct
                  : throughLink ? Reason::ThroughLink
                                : Reason::Failed,
                  std::string(RootName(rootName)) + "\\" + key,
                  failure && !throughLink ? failure->code : 0);
    return;
  }
  outcome.Gone(Kind::Key, std::string(RootName(rootName)) + "\\" + key);
  // The setup made the parents of "Software\Firma\Tool" too; each goes
  // when nothing is left in it, up to the first key the rules keep.
  std::string parent = key;
  for (std::size_t cut = parent.rfind('\\'); cut != std::string::npos; cut = parent.rfind('\\')) {
    parent.resize(cut);
    if (!MayGoWhenEmpty(parent, rootName, plan.productEntry.Under(rootName)) ||
        Recorded(rootName == KeyRoot::LocalMachine ? plan.machineKeys : plan.userKeys, parent) ||
        winsupport::DeleteEmptyRegKey(root, parent))
      return;
  }
}

std::string WithoutSeparator(const std::string& folder) {
  return folder.empty() || folder.back() != '\\' ? folder : folder.substr(0, folder.size() - 1);
}

}  // namespace

Outcome RemovePlanned(const UninstallPlan& plan,
                      const std::vector<contract::ServerDigest>& registeredServers,
                      const std::string& programsFolder, bool targetTrusted,
                      const StepStarted& stepStarted) {
  Outcome outcome;
  for (const Refusal& refusal : plan.refusals) outcome.Leave(refusal.reason, refusal.detail);
  FileRemoval files(plan.targetFolder, outcome);

  for (const std::string& server : plan.comServers) {
    stepStarted(server);
    if (::GetFileAttributesA(server.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
    if (files.ReachedThroughLink(server)) {
      outcome.Leave(Reason::ThroughLink, server);
    } else if (const std::optional<Refusal> left = UnregisterServer(
                   server, contract::RecordedDigest(registeredServers, server), targetTrusted)) {
      outcome.Leave(left->reason, server);
    } else {
      outcome.Gone(Kind::Server, server);
    }
  }

  // The protocol records a folder whose name holds a "." as a file.
  std::vector<std::string> folders = plan.folders;
  for (const std::string& file : plan.files) {
    stepStarted(file);
    if (files.RemoveFile(file) == FileRemoval::Result::IsFolder) folders.push_back(file);
  }
  SortDeepestFirst(folders);

  for (const std::string& key : plan.machineKeys) {
    stepStarted("HKEY_LOCAL_MACHINE\\" + key);
    RemoveKey(HKEY_LOCAL_MACHINE, KeyRoot::LocalMachine, key, plan, outcome);
  }
  std::vector<std::string> vendorKeys;
  for (const std::string& key : plan.userKeys) {
    stepStarted("HKEY_CURRENT_USER\\" + key);
    if (contract::IsVendorKey(key))
      vendorKeys.push_back(key);
    else
      RemoveKey(HKEY_CURRENT_USER, KeyRoot::CurrentUser, key, plan, outcome);
  }
  for (const std::string& key : vendorKeys) RemoveVendorKey(key, outcome);

  if (!programsFolder.empty()) {
    const TargetFolder target = std::get<TargetFolder>(TargetFolder::Parse(plan.targetFolder));
    for (const std::string& group : plan.groups) {
      stepStarted(group.empty() ? programsFolder : programsFolder + "\\" + group);
      RemoveGroup(programsFolder, group, target, plan.protocolFile, outcome);
    }
  }

  stepStarted(plan.protocolFile);
  if (!plan.protocolFileStays) files.RemoveFile(plan.protocolFile);

  for (const std::string& folder : folders) {
    stepStarted(folder);
    files.RemoveFolder(folder);
  }
  const std::string target = WithoutSeparator(plan.targetFolder);
  stepStarted(target);
  files.RemoveFolder(target);
  // The folders the setup made to hold the target may hold other products
  // by now: each goes quietly when empty and stays quietly else.
  for (const std::string& parent : plan.parents) {
    stepStarted(parent);
    files.RemoveParent(parent);
  }
  return outcome;
}

}  // namespace pelmora::uninstall
