#include "uninstall/Removal_win.h"

#include <windows.h>

#include <variant>

#include "common/WinHandle.h"
#include "contract/AnsiText.h"
#include "contract/CommandLine.h"
#include "contract/KeyRules.h"
#include "contract/Seal.h"
#include "contract/Sha256.h"
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
                                        const std::optional<std::string>& recordedDigest) {
  if (!recordedDigest) return Reason::ServerChanged;
  const auto file = winsupport::ReadAndHold(path, contract::kLargestServer);
  const auto* held = std::get_if<winsupport::HeldFile>(&file);
  if (!held || contract::Sha256Hex(held->bytes) != *recordedDigest) return Reason::ServerChanged;
  if (winsupport::CallServerEntry(path, "DllUnregisterServer")) return Reason::NotUnregistered;
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

// A parent of a removed key goes when empty if the rules let it be deleted,
// or when it is only too shallow for a product's key of its own yet lies
// below a first level ("Software\Firma", made for "Software\Firma\Tool"):
// empty, it holds nothing of anybody's. "Software" itself, the shared trees
// and everything below HKEY_LOCAL_MACHINE but the product's entry stay.
bool MayGoWhenEmpty(const std::string& parent, KeyRoot rootName, const std::string& productEntry) {
  const auto checked = contract::CheckProtocolKey(parent, rootName, productEntry);
  if (std::holds_alternative<std::string>(checked)) return true;
  return std::get<Refusal>(checked).reason == Reason::ShallowKey &&
         parent.find('\\') != std::string::npos;
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
    outcome.Leave(othersEntry ? Reason::OtherProduct : Reason::Failed,
                  std::string(RootName(rootName)) + "\\" + key, failure ? failure->code : 0);
    return;
  }
  ++outcome.removed.keys;
  // The setup made the parents of "Software\Firma\Tool" too; each goes
  // when nothing is left in it, up to the first key the rules keep.
  std::string parent = key;
  for (std::size_t cut = parent.rfind('\\'); cut != std::string::npos; cut = parent.rfind('\\')) {
    parent.resize(cut);
    if (!MayGoWhenEmpty(parent, rootName, plan.productEntry) ||
        !winsupport::RegKeyIsEmpty(root, parent) || winsupport::DeleteRegKey(root, parent))
      return;
  }
}

std::string WithoutSeparator(const std::string& folder) {
  return folder.empty() || folder.back() != '\\' ? folder : folder.substr(0, folder.size() - 1);
}

}  // namespace

Outcome RemovePlanned(const UninstallPlan& plan,
                      const std::vector<contract::ServerDigest>& registeredServers,
                      const std::string& programsFolder, const StepStarted& stepStarted) {
  Outcome outcome;
  for (const Refusal& refusal : plan.refusals) outcome.Leave(refusal.reason, refusal.detail);
  FileRemoval files(plan.targetFolder, outcome);

  for (const std::string& server : plan.comServers) {
    stepStarted(server);
    if (::GetFileAttributesA(server.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
    if (files.ReachedThroughLink(server)) {
      outcome.Leave(Reason::ThroughLink, server);
    } else if (const std::optional<Refusal> left =
                   UnregisterServer(server, contract::RecordedDigest(registeredServers, server))) {
      outcome.Leave(left->reason, server);
    } else {
      ++outcome.removed.servers;
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
  for (const std::string& key : plan.userKeys) {
    stepStarted("HKEY_CURRENT_USER\\" + key);
    RemoveKey(HKEY_CURRENT_USER, KeyRoot::CurrentUser, key, plan, outcome);
  }

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
    if (::RemoveDirectoryA(WithoutSeparator(parent).c_str())) ++outcome.removed.folders;
  }
  return outcome;
}

}  // namespace pelmora::uninstall
