// The setup program's wizard: the eight windows in their order of creation,
// the way between them, the start-up work of the first showing and what
// closing the main window does.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "app/PageFlow.h"
#include "archive/LibraryDeployment_win.h"
#include "contract/ExitCodes.h"
#include "install/InstallationPage_win.h"
#include "install/InstallationRun_win.h"
#include "install/SetupSwitches.h"
#include "pages/AboutBox_win.h"
#include "pages/ExistingInstallationPage_win.h"
#include "pages/FinishedPage_win.h"
#include "pages/InformationPage_win.h"
#include "pages/PasswordPrompt_win.h"
#include "pages/TargetDirectoryPage_win.h"
#include "pages/WelcomePage_win.h"
#include "setupdesc/SetupDescription.h"
#include "setupdesc/SetupMedium_win.h"

namespace pelmora::app {

class Wizard {
 public:
  // Without switches the wizard waits for the user; with /S or /SP it
  // presses Next on every page itself, with the defaults' choices.
  Wizard(HINSTANCE instance, std::string programPath, install::SetupSwitches switches = {});
  Wizard(const Wizard&) = delete;
  Wizard& operator=(const Wizard&) = delete;

  // Shows the welcome page and runs the message loop until the program ends.
  // The exit code (contract/ExitCodes.h).
  int Run();

 private:
  void StartUpWork();
  void RunStartUpChecks();
  void RequestEnd();
  bool ReadDescription();
  void ChooseLanguage();
  void CloseRunningPreviousVersion();
  void LookForExistingInstallation();

  void Navigate(Page from, Action action);
  void Carry(Page from, const HandOver& handOver);
  pages::PageWindow& Window(Page page);
  FlowFacts Facts() const;
  void RunInstallation();
  void Finish();
  void CloseMainWindow();

  // Unattended runs (app/Unattended_win.cpp).
  bool Unattended() const { return switches_.Unattended(); }
  // Shows the page, or, where the run shows no window, does its showing's work.
  void Present(pages::PageWindow& page, Page which);
  // The Next a user would press on `page`, after the default choice.
  void Advance(Page page);
  void ChooseDefaultForExistingInstallation();
  bool ReadPasswordFile();

  std::string programPath_;
  std::string setupDir_;
  // Where the description and the archive came from; set by the start-up.
  setupdesc::SetupMedium medium_;
  setupdesc::SetupDescription description_;
  archive::ExtractionLibraryFile library_;
  pages::UiResources resources_;
  // In the order of creation; the welcome page is the main window.
  pages::WelcomePage welcome_;
  pages::InformationPage information_;
  pages::TargetDirectoryPage targetDirectory_;
  pages::FinishedPage finished_;
  pages::PasswordPrompt password_;
  install::InstallationPage installation_;
  pages::AboutBox about_;
  pages::ExistingInstallationPage existing_;
  bool mainWindowClosed_ = false;
  install::InstallationRun* run_ = nullptr;  // while the run is going
  bool endRequested_ = false;  // by a start-up check; carried out when the checks are done
  install::SetupSwitches switches_;
  std::optional<std::string> givenPassword_;  // from /PASSWORDFILE=; never logged
  Page current_ = Page::Welcome;              // the page the way has reached
  // How the setup ends unless a start-up check ended it: set where the
  // outcome is decided; a window closed before that was a Cancel.
  contract::ExitCode outcome_ = contract::kExitCancelled;
};

}  // namespace pelmora::app
