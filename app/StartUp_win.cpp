#include "app/StartUp.h"

#include <exception>
#include <string>

#include "archive/LibraryDeployment.h"
#include "common/ProgramPath.h"
#include "setupdesc/DescriptionFile.h"
#include "setupdesc/SetupDescReader.h"
#include "setupdesc/SetupDir.h"
#include "winsupport/SystemInfo.h"

namespace pelmora::app {

namespace {

void PlainMessage(const std::string& text) {
  MessageBoxA(nullptr, text.c_str(), kApplicationTitle, MB_OK);
}

// The application's error report: title caption, stop icon, full stop.
void ErrorReport(const std::string& text) {
  MessageBoxA(nullptr, (text + ".").c_str(), kApplicationTitle, MB_OK | MB_ICONSTOP);
}

// How the start-up work ended.
enum class StartUpEnd {
  // A fatal start-up error requested the program's end; the main window is
  // never closed, so its close handler does not run.
  EndRequested,
  // The wizard would now wait for the user; without its pages the program
  // ends here, as closing the main window would.
  WizardReady,
};

// What runs before the wizard: the program's own version, the setup
// description and the extraction library beside it. The pages are built on
// this in the wizard.
StartUpEnd StartUp(const std::string& programPath, archive::ExtractionLibraryFile& library) {
  setupdesc::SetupDescription description;
  description.SetupVersion = winsupport::GetFileVersionString(programPath);
  const std::string setupDir = setupdesc::SetupDirFromProgramPath(programPath);

  setupdesc::ReaderOptions options;
  options.onVersionAccepted = [&library] { library.Deploy(); };
  const setupdesc::ReadResult result = setupdesc::ReadSetupDescription(
      setupdesc::LoadDescriptionFile(setupDir), description, options);
  switch (result.outcome) {
    case setupdesc::ReadOutcome::Missing:
    case setupdesc::ReadOutcome::Damaged:
      MessageBoxA(nullptr, result.message.c_str(), result.caption.c_str(), MB_OK);
      return StartUpEnd::EndRequested;
    case setupdesc::ReadOutcome::VersionMismatch:
      PlainMessage(result.message);
      return StartUpEnd::EndRequested;
    case setupdesc::ReadOutcome::Read:
      break;
  }
  return StartUpEnd::WizardReady;
}

}  // namespace

int RunSetupProgram(HINSTANCE) {
  try {
    const std::string programPath = win::OwnProgramPath();
    archive::ExtractionLibraryFile library(setupdesc::SetupDirFromProgramPath(programPath));
    // An error report leaves the welcome page open, and the user can then
    // only close it.
    StartUpEnd end = StartUpEnd::WizardReady;
    int exitCode = 1;
    try {
      end = StartUp(programPath, library);
      if (end == StartUpEnd::WizardReady) exitCode = 0;
    } catch (const std::exception& e) {
      ErrorReport(e.what());
    }
    // Closing the main window deletes the library if this run wrote it; a
    // file the medium carries stays. An end request deletes nothing.
    if (end == StartUpEnd::WizardReady) library.Remove();
    return exitCode;
  } catch (const std::exception& e) {
    ErrorReport(e.what());
  } catch (...) {
    ErrorReport("Unbekannter Fehler");
  }
  return 1;
}

}  // namespace pelmora::app
