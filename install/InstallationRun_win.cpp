#include "install/InstallationRun_win.h"

#include "contract/InstallMode.h"
#include "contract/ProductFiles.h"
#include "install/ComServers_win.h"
#include "install/ExtractionHandlers_win.h"
#include "install/IoErrors_win.h"
#include "install/ProtocolTimes_win.h"
#include "install/RegistrationSteps.h"
#include "install/RegistrySettings_win.h"
#include "install/RunTexts.h"
#include "install/Shortcuts_win.h"
#include "install/UninstallEntry_win.h"
#include "install/Uninstaller_win.h"
#include "winsupport/ErrorReport_win.h"
#include "winsupport/Files_win.h"
#include "winsupport/MessageLoop_win.h"
#include "winsupport/Registry_win.h"
#include "winsupport/ShellFolders_win.h"

namespace pelmora::install {

namespace {

std::string WithBackslash(std::string path) {
  if (path.empty() || path.back() != '\\') path += '\\';
  return path;
}

// Up to 255 characters, as the run has always read them.
std::string Environment(const char* name) {
  char value[255] = {};
  const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
  return length < sizeof value ? std::string(value, length) : std::string();
}

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
    facts.windowsDir = Environment("SYSTEMROOT");
    facts.profileDir = Environment("USERPROFILE");
  }
  facts.windowsDir = WithBackslash(facts.windowsDir);
  return facts;
}

bool InstallationRun::Perform() {
  try {
    const std::string target = WithBackslash(settings_.readTargetDirectory());
    settings_.writeTargetDirectory(target);
    const WindowsFacts windows = ReadWindowsFacts();
    // With every missing parent: C:\Firma\Produkt\ must not fail for want
    // of C:\Firma.
    winsupport::CreateFolderTree(target.substr(0, target.size() - 1));

    SYSTEMTIME now{};
    GetLocalTime(&now);
    contract::Protocol protocol;
    protocol.AddHeader(target, ShortDate(now), LongTime(now));
    const StatusTexts& status = StatusTextsFor(settings_.description.English);
    settings_.page.SetStatus(status.extracting);

    if (settings_.page.Mode() == contract::InstallMode::CompleteRepair) {
      if (settings_.description.ConfigFiles)
        for (const std::string& line : *settings_.description.ConfigFiles)
          if (winsupport::IsExistingFile(target + line)) DeleteFileA((target + line).c_str());
      DeleteRegistryKeys(settings_.description);
    }

    if (Unpack(target, protocol) == Unpacked::Refused) return false;

    settings_.page.SetStatus(status.registration);
    settings_.page.SetProgress(95);
    Register(target, windows, protocol);

    protocol.AddTrailer(settings_.description.SetupVersion,
                        DurationAsTime(GetTickCount() - settings_.page.ShownAt()));
    if (const DWORD error =
            winsupport::AppendToFile(target + contract::kProtocolFileName, protocol.Bytes()))
      throw IoErrorFromWindows(error);
    return !cancelled_;
  } catch (...) {
    // The page has no close box: without Cancel the user could not leave.
    settings_.page.ShowCancel();
    throw;
  }
}

InstallationRun::Unpacked InstallationRun::Unpack(const std::string& target,
                                                  contract::Protocol& protocol) {
  ExtractionHandlers handlers({settings_.page, settings_.passwordPrompt, settings_.mainWindow,
                               protocol, target, settings_.description.English,
                               settings_.cancelInstallation});
  handlers.Attach(reader_);
  reader_.Archivefilename = settings_.setupDir + contract::kFirstVolumeName;
  reader_.TargetDirectory = target;
  reader_.Path2UnAceDll = settings_.libraryFolder;
  // An archive that names an entry outside the target is not installed:
  // the list pass meets every entry, so it is refused before anything is
  // unpacked.
  int result = reader_.List();
  if (result != ACE_ERR_UNSAFE_NAME) result = reader_.Extract();
  // The handlers end here; the reader must not call them later.
  ExtractionHandlers::Detach(reader_);
  if (result == ACE_ERR_UNSAFE_NAME) return Unpacked::Refused;
  // Any other error has been shown and has made Cancel visible: the user
  // decides. What was unpacked by then is registered, so that it can be
  // removed again.
  if (result != ACE_END_OF_ARCHIVE) WaitForCancel();
  return Unpacked::Done;
}

void InstallationRun::WaitForCancel() {
  while (!cancelled_) {
    WaitMessage();
    if (!winsupport::PumpWaitingMessages()) break;
  }
}

void InstallationRun::Register(const std::string& target, const WindowsFacts& windows,
                               contract::Protocol& protocol) {
  // Each step with its report; kRegistrationSteps decides what its failures do.
  const auto perform = [&](RegistrationStep step, const auto& work) {
    StepReport report(step, protocol,
                      [](const std::string& text) { winsupport::ShowPlainMessage(text); });
    work(report);
  };
  const std::string& windowsDir = windows.windowsDir;
  perform(RegistrationStep::ImportSettingsFile,
          [&](StepReport& report) { ImportRegistryFile(target, windowsDir, report); });
  winsupport::PumpWaitingMessages();
  perform(RegistrationStep::MoveUninstaller, [&](StepReport& report) {
    MoveUninstaller(
        target, windowsDir,
        [this](std::uint64_t done, std::uint64_t total) {
          settings_.page.SetProgress(total ? static_cast<int>(done * 100 / total) : 100);
          winsupport::PumpWaitingMessages();
        },
        report);
  });
  winsupport::PumpWaitingMessages();
  perform(RegistrationStep::UninstallEntry, [&](StepReport& report) {
    WriteUninstallEntries(target, windowsDir, {windows.windowsKeyFound, windows.windowsNtKeyFound},
                          settings_.description, report);
  });
  perform(RegistrationStep::RegistryKeys,
          [&](StepReport& report) { CreateRegistryKeys(settings_.description, report); });
  perform(RegistrationStep::ComServers,
          [&](StepReport& report) { RegisterComServers(target, settings_.description, report); });
  perform(RegistrationStep::Shortcuts, [&](StepReport& report) {
    CreateShortcuts(target, windowsDir, winsupport::StartMenuProgramsFolder(),
                    settings_.description, report);
  });
}

void InstallationRun::Stop() {
  reader_.Stop = true;
  cancelled_ = true;
}

}  // namespace pelmora::install
