// The welcome page's first showing: everything the setup learns and checks
// before the user is asked anything, in this order.
#include <cstdlib>

#include "app/Wizard_win.h"
#include "contract/Language.h"
#include "contract/ProductFiles.h"
#include "contract/UninstallEntry.h"
#include "setupdesc/DescriptionFile.h"
#include "setupdesc/SetupDescReader.h"
#include "setupdesc/SetupMedium_win.h"
#include "winsupport/ErrorReport_win.h"
#include "winsupport/Files_win.h"
#include "winsupport/Processes_win.h"
#include "winsupport/Registry_win.h"
#include "winsupport/SystemInfo_win.h"
#include "winsupport/SystemLanguage_win.h"

namespace pelmora::app {

namespace {

bool OnNtFamily() {
  return winsupport::CurrentWindowsVersionFacts().platform ==
         winsupport::WindowsPlatform::WindowsNT;
}

}  // namespace

void Wizard::StartUpWork() {
  // The end takes effect once the start-up work is back in the message loop.
  // Posted any earlier, the pending quit would close every later message
  // box at once, before the user could read it.
  struct EndWhenDone {
    const bool& requested;
    ~EndWhenDone() {
      if (requested) PostQuitMessage(0);
    }
  } endWhenDone{endRequested_};
  RunStartUpChecks();
  // /D= stands in for the folder the target page would offer.
  if (switches_.target && !endRequested_) targetDirectory_.SetDirectory(*switches_.target);
}

void Wizard::RequestEnd() { endRequested_ = true; }

void Wizard::RunStartUpChecks() {
  description_.SetupVersion = winsupport::GetFileVersionString(programPath_);
  about_.SetVersion(description_.SetupVersion);
  if (!ReadDescription()) return;
  if (!medium_.firstVolume.Carried() && !winsupport::IsExistingFile(medium_.firstVolume.path)) {
    const std::string text = std::string("Installationsdateien fehlen!\n\n") +
                             contract::kFirstVolumeName + " nicht gefunden!";
    winsupport::TellUser(welcome_.Handle(), text, "Fehler!!", MB_OK);
    RequestEnd();
  }
  ChooseLanguage();
  CloseRunningPreviousVersion();
  if (!winsupport::IsAdministrator())
    winsupport::ShowPlainMessage(
        description_.English
            ? "You don't have adminstration rights. But it could be neccessary to install "
              "applications properly!"
            : "Sie haben keine Admin-Rechte. Manche Installationen benötigen allerdings "
              "Admin-Rechte!");
  LookForExistingInstallation();
}

// False when nothing after the reading may run.
bool Wizard::ReadDescription() {
  setupdesc::ReaderOptions options;
  std::optional<common::WinFailure> deployment;
  options.onVersionAccepted = [&] {
    deployment = library_.Deploy();
    return !deployment;
  };
  auto medium = setupdesc::LoadSetupMedium(programPath_, setupDir_);
  if (const auto* failure = std::get_if<common::WinFailure>(&medium)) {
    winsupport::ShowErrorReport(setupdesc::DescriptionReadFailureText(*failure));
    // A user stays on the welcome page with the report; nobody would.
    if (Unattended()) RequestEnd();
    return false;
  }
  medium_ = std::move(std::get<setupdesc::SetupMedium>(medium));
  if (medium_.kind == setupdesc::MediumKind::DamagedCarriedData) {
    winsupport::TellUser(welcome_.Handle(), setupdesc::CarriedDataDamageMessage(),
                         setupdesc::kErrorCaption, MB_OK);
    RequestEnd();
    return false;
  }
  const setupdesc::ReadResult result =
      setupdesc::ReadSetupDescription(medium_.description, description_, options);
  if (deployment) {
    winsupport::ShowErrorReport(archive::DeploymentFailureText(*deployment));
    if (Unattended()) RequestEnd();
    return false;
  }
  if (result.outcome != setupdesc::ReadOutcome::Read) {
    const std::string caption =
        result.caption.empty() ? winsupport::kApplicationTitle : result.caption;
    winsupport::TellUser(welcome_.Handle(), result.message, caption.c_str(), MB_OK);
    RequestEnd();
    // Without the file the checks go on, on an empty description; a file
    // of another version or a damaged one stops them here.
    return result.outcome == setupdesc::ReadOutcome::Missing;
  }
  welcome_.SetTitle(result.titleLabel);
  targetDirectory_.SetDirectory(result.targetDirectory);
  information_.SetLines(result.infoLines);
  finished_.OfferToRun(!description_.AppExeName.empty());
  return true;
}

void Wizard::ChooseLanguage() {
  if (!contract::UsesEnglish(winsupport::SystemLanguageName())) return;
  description_.English = true;
  // One step, before any other page is shown.
  for (pages::PageWindow* window :
       {static_cast<pages::PageWindow*>(&welcome_), static_cast<pages::PageWindow*>(&information_),
        static_cast<pages::PageWindow*>(&targetDirectory_),
        static_cast<pages::PageWindow*>(&finished_), static_cast<pages::PageWindow*>(&password_),
        static_cast<pages::PageWindow*>(&installation_), static_cast<pages::PageWindow*>(&about_),
        static_cast<pages::PageWindow*>(&existing_)})
    window->SwitchToEnglish();
}

void Wizard::CloseRunningPreviousVersion() {
  const auto process = winsupport::FindRunningProgram(description_.AppExeName);
  if (!process) return;
  const bool english = description_.English;
  if (!OnNtFamily()) {
    winsupport::ShowPlainMessage(
        english ? "Please close the previous version of the application you are about to "
                  "install, before you continue!"
                : "Bevor Sie die Installation beginnen können, müssen Sie Sie die ältere, "
                  "bereits installierte Version des Programmes beenden!");
    return;
  }
  std::string notice =
      english ? "Notice: A previous version of the application which should be installed,has "
                "been detected in the background and had to be closed."
              : welcome_.Text(pages::ids::kTerminateInfo);
  welcome_.ShowTerminateNotice(notice);
  // Time to answer a "save changes?" of its own before it is ended; the page
  // stays painted meanwhile, but nothing may move on.
  welcome_.EnableControl(pages::ids::kNext, false);
  welcome_.EnableControl(pages::ids::kCancel, false);
  const winsupport::CloseOutcome outcome = winsupport::CloseOrKillProcess(
      *process, winsupport::kPreviousVersionGraceMs, [] { winsupport::PumpWaitingMessages(); });
  welcome_.EnableControl(pages::ids::kNext, true);
  welcome_.EnableControl(pages::ids::kCancel, true);
  winsupport::ReportLog().Line(outcome == winsupport::kKilled
                                   ? "the running previous version was ended by force"
                                   : "the running previous version was closed");
  if (outcome == winsupport::kKilled)
    welcome_.ShowTerminateNotice(
        notice + (english ? " Application had to be killed, because it was unable to close it."
                          : " Anwendung musste radikal terminiert werden, da sie sich nicht über "
                            "den normalen weg schließen ließ."));
}

void Wizard::LookForExistingInstallation() {
  const HKEY root = OnNtFamily() ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
  const std::string key = contract::UninstallKeyPath(description_.UninstallKeyName);
  if (!winsupport::RegKeyExists(root, key)) {
    description_.ExistingInstall = false;
    description_.InstalledVersion.clear();
    return;
  }
  description_.ExistingInstall = true;
  description_.InstalledVersion =
      winsupport::ReadRegString(root, key, contract::kDisplayVersionValue).value_or("");
  description_.InstalledPath =
      winsupport::ReadRegString(root, key, contract::kInstallPathValue).value_or("");
  targetDirectory_.SetDirectory(description_.InstalledPath);
  existing_.SetVersions(description_.ProductVersion, description_.InstalledVersion,
                        description_.English);
}

}  // namespace pelmora::app
