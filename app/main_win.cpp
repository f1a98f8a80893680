// Entry of the setup program.
#include <windows.h>

#include <commctrl.h>

#include "app/Wizard_win.h"
#include "common/ProgramPath.h"
#include "contract/ExitCodes.h"
#include "contract/Language.h"
#include "install/FailureText_win.h"
#include "install/SetupSwitches.h"
#include "winsupport/ComApartment_win.h"
#include "winsupport/CommonControls_win.h"
#include "winsupport/ErrorReport_win.h"
#include "winsupport/LibrarySearch_win.h"
#include "winsupport/RunLog_win.h"
#include "winsupport/SystemLanguage_win.h"

namespace {

using namespace pelmora;

// The log's words for the end: the meaning of each exit code.
const char* ExitCodeMeaning(int code) {
  switch (code) {
    case contract::kExitDone:
      return "installed";
    case contract::kExitRefused:
      return "nothing done: a start-up check refused";
    case contract::kExitTargetRefused:
      return "the target folder was refused";
    case contract::kExitDowngradeRefused:
      return "downgrade refused";
    case contract::kExitCancelled:
      return "cancelled";
    case contract::kExitFailedRemovable:
      return "failed; its protocol is written, the uninstaller removes what was installed";
    case contract::kExitFailedNotRemovable:
      return "failed; no protocol, what the run made was taken back";
    default:
      break;
  }
  return "ended";
}

bool English() { return contract::UsesEnglish(winsupport::SystemLanguageName()); }

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR arguments, int) {
  // Before anything else is loaded: a library planted beside a downloaded
  // setup must never be found by its name.
  winsupport::HardenLibrarySearch();
  const DWORD started = GetTickCount();
  // Read before anything is written: a mistyped switch changes nothing, and
  // writes no log either (the log's own switch may be the mistyped one).
  const std::string_view line = arguments ? arguments : "";
  const auto parsed = install::ParseSetupSwitches(line);
  if (const auto* refusal = std::get_if<contract::Refusal>(&parsed)) {
    if (!install::AsksForNoWindows(line))
      MessageBoxA(nullptr, install::UsageText(*refusal, English()).c_str(),
                  winsupport::kApplicationTitle, MB_OK | MB_ICONSTOP);
    return contract::kExitUsage;
  }
  const install::SetupSwitches& switches = std::get<install::SetupSwitches>(parsed);
  winsupport::RunLog log;
  winsupport::ReportTo(log, switches.Unattended());
  if (switches.logFile) {
    auto opened = winsupport::RunLog::Open(*switches.logFile);
    if (const auto* failure = std::get_if<common::WinFailure>(&opened)) {
      winsupport::ShowErrorReport(
          (English() ? "The log cannot be written: " : "Das Protokoll ist nicht schreibbar: ") +
          install::FailureText(*failure));
      return contract::kExitRefused;
    }
    log = std::get<winsupport::RunLog>(std::move(opened));
  }
  log.Line("setup started: " + std::string(line));
  int code = contract::kExitRefused;
  {
    // The folder dialog and the shell links need COM on this thread, until
    // the wizard is gone.
    const auto apartment = winsupport::EnterOleApartment();
    winsupport::InitCommonControlsFromSystem(ICC_PROGRESS_CLASS);
    app::Wizard wizard(instance, win::OwnProgramPath(), switches);
    code = wizard.Run();
  }
  log.Line("exit code " + std::to_string(code) + ": " + ExitCodeMeaning(code) + "; " +
           "total time " + std::to_string((GetTickCount() - started) / 1000) + " s");
  return code;
}
