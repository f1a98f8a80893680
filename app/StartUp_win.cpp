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

// The extraction library written at start is removed again however the
// program ends, as the main window's close handler does.
class ExtractionLibraryCleanup {
 public:
  explicit ExtractionLibraryCleanup(std::string setupDir) : setupDir_(std::move(setupDir)) {}
  ~ExtractionLibraryCleanup() { archive::RemoveExtractionLibraryIfPresent(setupDir_); }
  ExtractionLibraryCleanup(const ExtractionLibraryCleanup&) = delete;
  ExtractionLibraryCleanup& operator=(const ExtractionLibraryCleanup&) = delete;

 private:
  std::string setupDir_;
};

// What runs before the wizard: the program's own version, the setup
// description and the extraction library beside it. The pages are built on
// this in the wizard.
int StartUp() {
  setupdesc::SetupDescription description;
  const std::string programPath = win::OwnProgramPath();
  description.SetupVersion = winsupport::GetFileVersionString(programPath);
  const std::string setupDir = setupdesc::SetupDirFromProgramPath(programPath);
  const ExtractionLibraryCleanup cleanup(setupDir);

  setupdesc::ReaderOptions options;
  options.onVersionAccepted = [&setupDir] { archive::DeployExtractionLibrary(setupDir); };
  const setupdesc::ReadResult result = setupdesc::ReadSetupDescription(
      setupdesc::LoadDescriptionFile(setupDir), description, options);
  switch (result.outcome) {
    case setupdesc::ReadOutcome::Missing:
    case setupdesc::ReadOutcome::Damaged:
      MessageBoxA(nullptr, result.message.c_str(), result.caption.c_str(), MB_OK);
      return 1;
    case setupdesc::ReadOutcome::VersionMismatch:
      PlainMessage(result.message);
      return 1;
    case setupdesc::ReadOutcome::Read:
      break;
  }
  return 0;
}

}  // namespace

int RunSetupProgram(HINSTANCE) {
  try {
    return StartUp();
  } catch (const std::exception& e) {
    ErrorReport(e.what());
  } catch (...) {
    ErrorReport("Unbekannter Fehler");
  }
  return 1;
}

}  // namespace pelmora::app
