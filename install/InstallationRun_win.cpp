#include "install/InstallationRun_win.h"

#include <algorithm>
#include <optional>
#include <variant>

#include "contract/InstallMode.h"
#include "contract/PathRules.h"
#include "contract/ProductFiles.h"
#include "contract/UninstallEntry.h"
#include "install/ComServers_win.h"
#include "install/ExtractionHandlers_win.h"
#include "install/FailureText_win.h"
#include "install/ProtocolTimes_win.h"
#include "install/RegistrationSteps.h"
#include "install/RegistrySettings_win.h"
#include "install/RunTexts.h"
#include "install/SealedProtocol_win.h"
#include "install/Shortcuts_win.h"
#include "install/TakeBack_win.h"
#include "install/UninstallEntry_win.h"
#include "install/UninstallValues.h"
#include "install/Uninstaller_win.h"
#include "winsupport/ErrorReport_win.h"
#include "winsupport/Files_win.h"
#include "winsupport/HeldFolders_win.h"
#include "winsupport/FolderSecurity_win.h"
#include "winsupport/MessageLoop_win.h"
#include "winsupport/Registry_win.h"
#include "winsupport/ResolvedPaths_win.h"
#include "winsupport/ShellFolders_win.h"
#include "winsupport/SystemInfo_win.h"

namespace pelmora::install {

namespace {

// "\" between the folders and at the end, as every path of the run is built.
std::string WithBackslash(std::string path) {
  std::replace(path.begin(), path.end(), '/', '\\');
  if (path.empty() || path.back() != '\\') path += '\\';
  return path;
}

// Up to 255 characters, as the run has always read them.
std::string Environment(const char* name) {
  char value[255] = {};
  const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
  return length < sizeof value ? std::string(value, length) : std::string();
}

// A configuration file a complete repair deletes: a name below the target
// by the one name rule, as the target rule checks paths below it; nothing
// for a line that names anything else.
std::optional<std::string> ConfigFileToDelete(const std::string& target, const std::string& line) {
  if (contract::RelativePathProblem(line)) return std::nullopt;
  const auto folder = contract::TargetFolder::Parse(target);
  if (!std::holds_alternative<contract::TargetFolder>(folder)) return std::nullopt;
  const auto checked = std::get<contract::TargetFolder>(folder).Check(target + line);
  const auto* path = std::get_if<contract::CheckedPath>(&checked);
  if (path == nullptr || path->below == 0) return std::nullopt;
  return path->path;
}

const char* StepName(RegistrationStep step) {
  switch (step) {
    case RegistrationStep::ImportSettingsFile:
      return "settings file";
    case RegistrationStep::MoveUninstaller:
      return "uninstaller";
    case RegistrationStep::UninstallEntry:
      return "Uninstall entry";
    case RegistrationStep::RegistryKeys:
      return "registry keys";
    case RegistrationStep::ComServers:
      return "COM servers";
    case RegistrationStep::Shortcuts:
      break;
  }
  return "shortcuts";
}

const char* LineKindName(contract::LineKind kind) {
  switch (kind) {
    case contract::LineKind::Folder:
      return "folder";
    case contract::LineKind::File:
      return "file";
    case contract::LineKind::MachineKey:
      return "key HKEY_LOCAL_MACHINE\\";
    case contract::LineKind::UserKey:
      return "key HKEY_CURRENT_USER\\";
    case contract::LineKind::ComServer:
      return "COM server registered";
    case contract::LineKind::Group:
      return "Start-menu group";
    default:
      break;
  }
  return "line";
}

// When a registration step returns: what it made (the protocol lines it
// added) and how it ended, in the log.
struct LoggedStep {
  RegistrationStep step;
  const StepReport& report;
  const contract::Protocol& protocol;
  std::size_t firstNew;
  ~LoggedStep() {
    const winsupport::RunLog& log = winsupport::ReportLog();
    if (!log.Writes()) return;
    const std::string name = StepName(step);
    const std::vector<std::string>& lines = protocol.Lines();
    for (std::size_t i = firstNew; i < lines.size(); ++i) {
      const contract::ProtocolLine line = contract::ParseProtocolLine(lines[i]);
      const std::string kind = LineKindName(line.kind);
      log.Line(name + ": " + kind + (kind.back() == '\\' ? "" : " ") + line.text);
    }
    log.Line(name + (report.Failure() ? ": failed: " + FailureText(*report.Failure()) : ": done"));
  }
};

bool HasProductName(const char* windowsKey) {
  const auto name = winsupport::ReadRegString(HKEY_LOCAL_MACHINE, windowsKey, "ProductName");
  return name && !name->empty();
}

}  // namespace

WindowsFacts ReadWindowsFacts() {
  WindowsFacts facts;
  facts.windowsKeyFound = HasProductName("SOFTWARE\\Microsoft\\Windows\\CurrentVersion");
  facts.windowsNtKeyFound = HasProductName("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion");
  if (facts.windowsKeyFound) {
    facts.windowsDir =
        winsupport::ReadRegString(HKEY_LOCAL_MACHINE,
                                  "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\", "SystemRoot")
            .value_or("");
    facts.profileDir = facts.windowsDir;
  }
  // Read second, so that it wins where both keys exist.
  if (facts.windowsNtKeyFound) {
    // As Windows itself reports it, not as an environment inherited from
    // whoever started the setup may say.
    facts.windowsDir = winsupport::WindowsFolder();
    facts.profileDir = Environment("USERPROFILE");
  }
  facts.windowsDir = WithBackslash(facts.windowsDir);
  return facts;
}

std::variant<bool, RunFailure> InstallationRun::Perform() {
  auto outcome = Run();
  if (const auto* failure = std::get_if<RunFailure>(&outcome)) {
    // The page has no close box: without Cancel the user could not leave.
    settings_.page.SetStatus(FailedStatus(*failure, settings_.description.English));
    settings_.page.ShowCancel();
  }
  return outcome;
}

std::variant<bool, RunFailure> InstallationRun::Run() {
  const StatusTexts& status = StatusTextsFor(settings_.description.English);
  const std::string target = WithBackslash(settings_.readTargetDirectory());
  settings_.writeTargetDirectory(target);
  const winsupport::RunLog& log = winsupport::ReportLog();
  log.Line("installing into \"" + target + "\", mode " +
           std::to_string(static_cast<int>(settings_.page.Mode())));
  // Until the folders are accepted, a failure is the target's.
  exitCode_ = contract::kExitTargetRefused;
  // The page lets no other folder through; a setup that gets here with
  // one anyway installs nothing.
  if (auto refusal = winsupport::CheckResolvedTarget(target, winsupport::RunningSystemFolders()))
    return std::move(*refusal);
  const WindowsFacts windows = ReadWindowsFacts();
  before_.protocol = winsupport::IsExistingFile(target + contract::kProtocolFileName);

  SYSTEMTIME now{};
  GetLocalTime(&now);
  contract::Protocol protocol;
  protocol.AddHeader(target, ShortDate(now), LongTime(now));
  if (const auto& refusal = protocol.Refused()) return *refusal;
  // With every missing parent: C:\Firma\Produkt\ must not fail for want
  // of C:\Firma. The parents made here are the product's too: the
  // uninstaller removes them again when they are empty.
  for (const std::string& folder :
       winsupport::CreateFolderTree(target.substr(0, target.size() - 1)))
    if (folder.size() + 1 < target.size()) protocol.AddFolder(folder + "\\");
  // Elevated, nothing is written before the folders as they are now, made
  // or found, are shown to be the administrators' alone.
  if (winsupport::RunsWithAdministratorRights())
    if (auto refusal = winsupport::CheckFolderChain(target)) return std::move(*refusal);
  exitCode_ = contract::kExitFailedNotRemovable;
  settings_.page.SetStatus(status.extracting);

  if (settings_.page.Mode() == contract::InstallMode::CompleteRepair) {
    if (settings_.description.ConfigFiles)
      for (const std::string& line : *settings_.description.ConfigFiles)
        if (const auto file = ConfigFileToDelete(target, line))
          winsupport::DeleteHeld(target, *file, winsupport::HeldItem::File);
    std::string kept;
    for (const std::string& key : DeleteRegistryKeys(settings_.description)) kept += "\n" + key;
    if (!kept.empty())
      winsupport::ShowPlainMessage(KeysKeptText(kept.substr(1), settings_.description.English));
  }

  if (Unpack(target, protocol) == Unpacked::Refused) return false;
  // An entry whose name would split its protocol line stopped the
  // extraction; nothing is registered or written for it.
  if (const auto& refusal = protocol.Refused()) return *refusal;
  // From here on files may be on the disk: whatever ends the run, the
  // protocol of what was done is written, so that it can be removed.
  settings_.page.SetStatus(status.registration);
  settings_.page.SetProgress(95);
  const std::string productEntry =
      contract::UninstallKeyPath(settings_.description.UninstallKeyName);
  NoteBeforeRegistration(settings_.description, productEntry, winsupport::StartMenuProgramsFolder(),
                         before_);
  std::optional<RunFailure> failure = Register(target, windows, protocol);
  protocol.AddTrailer(settings_.description.SetupVersion,
                      DurationAsTime(GetTickCount() - settings_.page.ShownAt()));
  if (!failure && protocol.Refused()) failure = *protocol.Refused();
  // A protocol that cannot be written is the failure the user must hear of.
  if (auto notWritten = WriteProtocol(target, protocol)) {
    log.Line("protocol not written: " + FailureText(*notWritten) +
             "; what this run made is taken back");
    // Nothing could remove what the run made: it takes it back itself.
    TakeBack(target, protocol, before_, registeredServers_, productEntry,
             winsupport::StartMenuProgramsFolder());
    return std::move(*notWritten);
  }
  log.Line("protocol written: \"" + target + contract::kProtocolFileName + "\"");
  exitCode_ = failure || extractionFailed_ ? contract::kExitFailedRemovable
              : cancelled_                 ? contract::kExitCancelled
                                           : contract::kExitDone;
  if (failure) return *failure;
  return !cancelled_ && !extractionFailed_;
}

std::optional<common::WinFailure> InstallationRun::WriteProtocol(
    const std::string& target, const contract::Protocol& protocol) {
  // Known before any step: a run that ends early still seals the entry
  // that vouched for the earlier protocol.
  sealing_.keyPath = contract::UninstallKeyPath(settings_.description.UninstallKeyName);
  sealing_.elevated = winsupport::RunsWithAdministratorRights();
  auto written = WriteSealedProtocol(target, protocol.Bytes(), sealing_, registeredServers_);
  if (const auto* done = std::get_if<WrittenProtocol>(&written)) {
    if (!done->setAside.empty())
      winsupport::ShowPlainMessage(
          ProtocolSetAsideText(target + done->setAside, settings_.description.English));
    return std::nullopt;
  }
  // An entry must not offer a removal its protocol cannot carry out.
  if (!winsupport::IsExistingFile(target + contract::kProtocolFileName))
    for (HKEY root : sealing_.roots) winsupport::DeleteRegKey(root, sealing_.keyPath);
  return std::get<common::WinFailure>(std::move(written));
}

InstallationRun::Unpacked InstallationRun::Unpack(const std::string& target,
                                                  contract::Protocol& protocol) {
  ExtractionHandlers handlers({settings_.page, settings_.passwordPrompt, settings_.mainWindow,
                               protocol, target, settings_.description.English,
                               settings_.cancelInstallation, settings_.password,
                               settings_.unattended});
  handlers.Attach(reader_);
  reader_.Archivefilename = settings_.firstVolume.path;
  reader_.ArchiveOffset = settings_.firstVolume.offset;
  reader_.ArchiveLength = settings_.firstVolume.length;
  reader_.TargetDirectory = target;
  reader_.Path2UnAceDll = settings_.libraryFolder;
  // An archive that names an entry outside the target is not installed:
  // the list pass meets every entry, so it is refused before anything is
  // unpacked.
  const int result = ListThenExtract(reader_, [this] { return cancelled_; });
  // The handlers end here; the reader must not call them later.
  ExtractionHandlers::Detach(reader_);
  settingsFileUnpacked_ = handlers.SettingsFileUnpacked();
  before_.paths = handlers.PathsFoundBefore();
  productBytes_ = handlers.ProductBytes();
  if (result == ACE_ERR_UNSAFE_NAME) return Unpacked::Refused;
  // Any other error has been shown and has made Cancel visible: the user
  // decides. What was unpacked by then is registered, so that it can be
  // removed again.
  if (result != ACE_END_OF_ARCHIVE) {
    if (!cancelled_) extractionFailed_ = true;
    settings_.page.SetStatus(
        FailedStatus(handlers.WriteFailureCode(), settings_.description.English));
    if (!settings_.unattended) WaitForCancel();
  }
  return Unpacked::Done;
}

void InstallationRun::WaitForCancel() {
  while (!cancelled_) {
    WaitMessage();
    if (!winsupport::PumpWaitingMessages()) break;
  }
}

std::optional<RunFailure> InstallationRun::Register(const std::string& target,
                                                    const WindowsFacts& windows,
                                                    contract::Protocol& protocol) {
  // kRegistrationSteps decides the order and what each step's failures do;
  // here is only how each step is done.
  const std::string& windowsDir = windows.windowsDir;
  return PerformRegistration(
      protocol,
      [](const common::WinFailure& failure) { winsupport::ShowPlainMessage(FailureText(failure)); },
      [&](RegistrationStep step, StepReport& report) {
        const LoggedStep logged{step, report, protocol, protocol.Lines().size()};
        switch (step) {
          case RegistrationStep::ImportSettingsFile:
            ImportRegistryFile(target, windowsDir, settingsFileUnpacked_, targetTrusted_, report);
            winsupport::PumpWaitingMessages();
            return;
          case RegistrationStep::MoveUninstaller: {
            winsupport::Pacer pace;
            MoveUninstaller(
                target, windowsDir, targetTrusted_,
                [this, &pace](std::uint64_t done, std::uint64_t total) {
                  // The last block always shows: the bar ends full.
                  if (done < total && !pace.Due()) return;
                  settings_.page.SetProgress(total ? static_cast<int>(done * 100 / total) : 100);
                  winsupport::PumpWaitingMessages();
                },
                report);
            winsupport::PumpWaitingMessages();
            return;
          }
          case RegistrationStep::UninstallEntry: {
            SYSTEMTIME today{};
            GetLocalTime(&today);
            const InstalledFacts facts{InstallDate(today.wYear, today.wMonth, today.wDay),
                                       productBytes_};
            auto roots = WriteUninstallEntries(target, windowsDir,
                                               {windows.windowsKeyFound, windows.windowsNtKeyFound},
                                               settings_.description, facts, report);
            // Entries of a step that ended the run are not sealed.
            if (!report.Failure()) sealing_.roots = std::move(roots);
            return;
          }
          case RegistrationStep::RegistryKeys:
            CreateRegistryKeys(settings_.description, report);
            return;
          case RegistrationStep::ComServers:
            RegisterComServers(target, settings_.description, targetTrusted_, report,
                               registeredServers_);
            return;
          case RegistrationStep::Shortcuts:
            CreateShortcuts(target, windowsDir, winsupport::StartMenuProgramsFolder(),
                            settings_.description, report);
            return;
        }
      });
}

void InstallationRun::Stop() {
  reader_.Stop = true;
  cancelled_ = true;
}

}  // namespace pelmora::install
