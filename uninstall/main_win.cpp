// Entry of the uninstaller: started with the path of a product's protocol
// ("UnInstall.log"), it asks once, removes what the protocol lists within
// the rules of the plan and tells what it removed and what it left. With
// /S it shows no window at all; with /LOG=<file> it appends what it did
// to that file (contract/CommandLine.h). Exit codes: contract/ExitCodes.h.
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include <shlobj.h>

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "contract/AnsiText.h"
#include "common/Allocation.h"
#include "contract/CommandLine.h"
#include "contract/ExitCodes.h"
#include "contract/Language.h"
#include "contract/ProductFiles.h"
#include "contract/Seal.h"
#include "contract/Sha256.h"
#include "uninstall/ProgressWindow_win.h"
#include "uninstall/Removal_win.h"
#include "uninstall/UninstallEntries_win.h"
#include "uninstall/UninstallPlan.h"
#include "uninstall/UninstallTexts.h"
#include "winsupport/ComApartment_win.h"
#include "winsupport/CommonControls_win.h"
#include "winsupport/Files_win.h"
#include "winsupport/FolderSecurity_win.h"
#include "winsupport/LibrarySearch_win.h"
#include "winsupport/Registry_win.h"
#include "winsupport/ResolvedPaths_win.h"
#include "winsupport/RunLog_win.h"
#include "winsupport/Seal_win.h"
#include "winsupport/ShellFolders_win.h"
#include "winsupport/SystemInfo_win.h"
#include "winsupport/SystemLanguage_win.h"

namespace pelmora::uninstall {
namespace {

// Far above any protocol (one line per installed file, one block per run).
constexpr std::size_t kLargestProtocol = 16 * 1024 * 1024;

static_assert(contract::kExitOutOfMemory == common::kOutOfMemoryExitCode);

std::variant<std::string, Refusal> ReadProtocol(const std::string& path) {
  // One byte more than any protocol tells a file that is too large.
  auto read = winsupport::ReadFileStart(path, kLargestProtocol + 1);
  if (std::holds_alternative<common::WinFailure>(read)) return Reason::Unreadable;
  std::string& bytes = std::get<std::string>(read);
  if (bytes.size() > kLargestProtocol) return Reason::TooLarge;
  return std::move(bytes);
}

// The argument as a full path: the rules compare it with the target folder.
std::string FullPath(const std::string& path) {
  char full[MAX_PATH * 2] = {};
  const DWORD length = ::GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
  return length == 0 || length >= sizeof full ? path : std::string(full, length);
}

int Uninstall(HINSTANCE instance) {
  const DWORD startedAt = ::GetTickCount();
  const bool english = contract::UsesEnglish(winsupport::SystemLanguageName());
  const std::string title(UninstallTitle(english));
  const char* const commandLine = ::GetCommandLineA();
  const contract::UninstallerCall call = contract::ParseUninstallerCall(commandLine);
  // Unattended, not even Windows may ask (a drive without a disk, a server
  // that cannot be loaded): the answer goes to the log and the exit code.
  if (call.silent) ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  // Opened before anything is checked, so that it tells why a run was
  // refused, misuse of the command line included.
  winsupport::RunLog log;
  bool logRefused = false;
  if (!call.logFile.empty()) {
    auto opened = winsupport::RunLog::Open(call.logFile);
    if (auto* usable = std::get_if<winsupport::RunLog>(&opened))
      log = std::move(*usable);
    else
      logRefused = true;
  }
  log.Line(StartedLine(commandLine, english));
  const auto finish = [&](int code) {
    log.Line(EndLine(code, (::GetTickCount() - startedAt) / 1000, english));
    return code;
  };
  const auto refuse = [&](Reason reason, const std::string& path,
                          int code = contract::kExitRefused) {
    const std::string text = RejectionText(reason, path, english);
    log.Line(RefusedLine(text, english));
    if (!call.silent) ::MessageBoxA(nullptr, text.c_str(), title.c_str(), MB_OK | MB_ICONSTOP);
    return finish(code);
  };

  if (call.misuse) return refuse(Reason::UnknownSwitch, call.misuse->detail, contract::kExitUsage);
  if (logRefused) return refuse(Reason::LogNotWritable, call.logFile);
  const std::string& argument = call.protocol;
  if (argument.empty()) return refuse(Reason::NoArgument, argument);
  const std::string protocolPath = FullPath(argument);
  const auto bytes = ReadProtocol(protocolPath);
  if (const Refusal* refusal = std::get_if<Refusal>(&bytes))
    return refuse(refusal->reason, protocolPath);
  // Only what the setup vouched for counts: the folder may be writable by
  // every user, the list of installed programs is not. With administrator
  // rights only the seals below HKEY_LOCAL_MACHINE count.
  const bool elevated = winsupport::RunsWithAdministratorRights();
  const std::vector<ProductEntry> entries = FindProductEntries(protocolPath, elevated);
  std::vector<std::optional<std::string>> digests;
  for (const ProductEntry& candidate : entries) digests.push_back(candidate.protocolDigest);
  const std::string& protocol = std::get<std::string>(bytes);
  if (const std::optional<Refusal> refusal = contract::CheckSeal(protocol, digests)) {
    // The only digest that fits lies where every program of the user's can
    // write it (a setup run without administrator rights left it, or an
    // attacker did): say so.
    if (elevated && refusal->reason == Reason::NotVouched) {
      std::vector<std::optional<std::string>> own;
      for (const ProductEntry& candidate : FindProductEntries(protocolPath, false))
        own.push_back(candidate.protocolDigest);
      if (!contract::CheckSeal(protocol, own)) return refuse(Reason::UserVouchedOnly, protocolPath);
    }
    return refuse(refusal->reason, protocolPath);
  }
  const std::string digest = contract::Sha256Hex(protocol);
  std::vector<const ProductEntry*> vouching;
  ProductEntries keys;
  for (const ProductEntry& candidate : entries) {
    if (candidate.protocolDigest != digest) continue;
    vouching.push_back(&candidate);
    (candidate.root == HKEY_LOCAL_MACHINE ? keys.machine : keys.user) = candidate.keyPath;
  }
  const ProductEntry& entry = *vouching.front();

  const contract::SystemFolders system = winsupport::RunningSystemFolders();
  const auto planned = PlanUninstall(protocolPath, protocol, system, keys);
  if (const Refusal* refusal = std::get_if<Refusal>(&planned))
    return refuse(refusal->reason, protocolPath);
  const UninstallPlan& plan = std::get<UninstallPlan>(planned);
  // The text passed; a short name or another path to a system folder must not.
  if (const auto refusal = winsupport::CheckResolvedTarget(plan.targetFolder, system))
    return refuse(refusal->reason, protocolPath);
  // Elevated, nothing is removed or loaded from a folder another account
  // could have swapped or filled since the setup: what the protocol names
  // might then be someone else's.
  if (winsupport::RunsWithAdministratorRights())
    if (const std::optional<Refusal> refusal = winsupport::CheckFolderChain(plan.targetFolder))
      return refuse(refusal->reason, refusal->detail);

  const std::string product = entry.displayName.empty() ? plan.targetFolder : entry.displayName;
  if (!call.silent && ::MessageBoxA(nullptr, ConfirmationText(product, english).c_str(),
                                    product.c_str(), MB_YESNO | MB_ICONQUESTION) != IDYES) {
    log.Line(AnsweredNoLine(english));
    return finish(contract::kExitRefused);
  }

  const winsupport::ComApartment com = winsupport::EnterComApartment();
  std::optional<ProgressWindow> window;
  if (!call.silent) {
    winsupport::InitCommonControlsFromSystem(ICC_PROGRESS_CLASS);
    window.emplace(instance, title, plan.StepCount());
  }
  // Here the folders on the way have passed the check (elevated), or the
  // uninstaller has no more rights than whoever could write them: a server's
  // own folder may be searched for what it imports.
  const bool targetTrusted = true;
  const Outcome outcome = RemovePlanned(plan, contract::SplitServerDigests(entry.serverDigests),
                                        winsupport::StartMenuProgramsFolder(), targetTrusted,
                                        [&](const std::string& what) {
                                          if (window) window->Step(ProgressText(what, english));
                                        });
  if (log.Writes()) {
    for (const GoneItem& item : outcome.gone) log.Line(RemovedLine(item, english));
    for (const LeftItem& item : outcome.left) log.Line(LeftLine(item, english));
  }

  // A seal outlives no entry it vouched for.
  if (elevated)
    for (const ProductEntry* removed : vouching) {
      const std::string seal =
          contract::SealKeyPath(removed->keyPath, winsupport::KeyRootOf(removed->root));
      const bool sealed = !seal.empty() && winsupport::RegKeyExists(HKEY_LOCAL_MACHINE, seal);
      const auto failure = winsupport::RemoveSealOfRemovedEntry(removed->root, removed->keyPath);
      const std::string named = "HKEY_LOCAL_MACHINE\\" + seal;
      if (failure)
        log.Line(LeftLine({{Reason::Failed, named}, failure->code}, english));
      else if (sealed && !winsupport::RegKeyExists(HKEY_LOCAL_MACHINE, seal))
        log.Line(RemovedLine({Kind::Key, named}, english));
    }
  if (window) {
    window->Finish(SummaryHeadline(product, outcome, english));
    ::MessageBoxA(window->Handle(), SummaryText(product, outcome, english).c_str(), product.c_str(),
                  MB_OK | (outcome.left.empty() ? MB_ICONINFORMATION : MB_ICONWARNING));
  }
  return finish(outcome.left.empty() ? contract::kExitDone : contract::kExitItemsLeft);
}

}  // namespace
}  // namespace pelmora::uninstall

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // Before anything else is loaded: a library planted beside the program
  // must never be found by its name.
  pelmora::winsupport::HardenLibrarySearch();
  return pelmora::uninstall::Uninstall(instance);
}
