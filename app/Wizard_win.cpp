#include "app/Wizard_win.h"

#include "contract/ExitCodes.h"
#include "install/FailureText_win.h"

#include "setupdesc/SetupDir.h"
#include "winsupport/ErrorReport_win.h"
#include "winsupport/Files_win.h"
#include "winsupport/MessageLoop_win.h"

namespace pelmora::app {

namespace {

Action ActionFor(pages::PageButton button) {
  switch (button) {
    case pages::PageButton::Next:
      return Action::Next;
    case pages::PageButton::Back:
      return Action::Back;
    case pages::PageButton::Cancel:
      break;
  }
  return Action::Cancel;
}

}  // namespace

Wizard::Wizard(HINSTANCE instance, std::string programPath, install::SetupSwitches switches)
    : programPath_(std::move(programPath)),
      setupDir_(setupdesc::SetupDirFromProgramPath(programPath_)),
      library_(setupDir_),
      resources_(instance),
      welcome_(resources_),
      information_(resources_),
      targetDirectory_(resources_),
      finished_(resources_),
      password_(resources_),
      installation_(resources_),
      about_(resources_),
      existing_(resources_),
      switches_(std::move(switches)) {
  welcome_.OnButton([this](pages::PageButton b) { Navigate(Page::Welcome, ActionFor(b)); });
  information_.OnButton([this](pages::PageButton b) { Navigate(Page::Information, ActionFor(b)); });
  targetDirectory_.OnButton(
      [this](pages::PageButton b) { Navigate(Page::TargetDirectory, ActionFor(b)); });
  existing_.OnButton(
      [this](pages::PageButton b) { Navigate(Page::ExistingInstallation, ActionFor(b)); });
  finished_.OnButton([this](pages::PageButton b) { Navigate(Page::Finished, ActionFor(b)); });
  welcome_.OnFirstShown([this] { StartUpWork(); });
  welcome_.OnAbout([this] { about_.Present(); });
  installation_.OnCancel([this] { Navigate(Page::Installation, Action::Cancel); });
  installation_.OnRun([this] { RunInstallation(); });
}

int Wizard::Run() {
  if (switches_.passwordFile && !ReadPasswordFile()) return contract::kExitRefused;
  Present(welcome_, Page::Welcome);
  if (Unattended() && !endRequested_) Advance(Page::Welcome);
  const bool done = false;
  winsupport::PumpMessagesUntil(done);
  MSG quit;
  PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
  // Whatever ended the program, a library this run wrote does not stay,
  // nor the empty target directory of a setup that did not complete; one
  // that holds anything stays, and a failure is nobody's business.
  library_.Remove();
  const std::string target = targetDirectory_.Directory();
  if (mainWindowClosed_ && !description_.InstallCompleted && !target.empty() &&
      winsupport::IsExistingFolder(target))
    RemoveDirectoryA(target.c_str());
  // A start-up check that ended the program is a failure for whoever ran it.
  return endRequested_ ? contract::kExitRefused : outcome_;
}

FlowFacts Wizard::Facts() const {
  FlowFacts facts;
  facts.informationFirstLineNotEmpty = information_.FirstLineNotEmpty();
  facts.existingInstall = description_.ExistingInstall;
  facts.directoryEditEmpty = targetDirectory_.Directory().empty();
  return facts;
}

pages::PageWindow& Wizard::Window(Page page) {
  switch (page) {
    case Page::Welcome:
      return welcome_;
    case Page::Information:
      return information_;
    case Page::ExistingInstallation:
      return existing_;
    case Page::TargetDirectory:
      return targetDirectory_;
    case Page::Installation:
      return installation_;
    case Page::Finished:
      break;
  }
  return finished_;
}

void Wizard::Navigate(Page from, Action action) {
  Carry(from, DecideHandOver(from, action, Facts()));
}

void Wizard::Carry(Page from, const HandOver& handOver) {
  pages::PageWindow& current = Window(from);
  if (handOver.setInstallModeAwaitingChoice)
    installation_.Mode() = contract::InstallMode::AwaitingChoice;
  if (handOver.adjustInstallModeFromChoice) {
    const pages::ChoiceOutcome outcome = existing_.Decide(installation_.Mode());
    installation_.Mode() = outcome.mode;
    // The downgrade's "Abort" ends the setup as Cancel does.
    if (outcome.endSetup) {
      current.Hide();
      CloseMainWindow();
      return;
    }
  }
  if (handOver.appendBackslashToDirectory) targetDirectory_.AppendBackslash();
  // Cancel during the run: the reader stops at its next step, and what it
  // unpacked by then is still registered when the run returns.
  if (handOver.stopArchiveReader && run_) run_->Stop();
  if (handOver.closeCurrentPageFirst) current.Hide();
  if (handOver.finishInstallation) {
    Finish();
    return;
  }
  if (handOver.kind == HandOver::Kind::CloseMainWindow) {
    CloseMainWindow();
    return;
  }
  if (handOver.kind != HandOver::Kind::ShowPage) return;
  pages::PageWindow& next = Window(handOver.target);
  current_ = handOver.target;
  switch (handOver.placement) {
    case Placement::AtCurrentPage:
      next.MoveTo(current.TopLeft());
      break;
    case Placement::AtTargetDirectoryPage:
      next.MoveTo(targetDirectory_.TopLeft());
      break;
    case Placement::Unchanged:
    case Placement::Centred:
      break;
  }
  Present(next, handOver.target);
  if (handOver.focusTargetNext) next.Focus(pages::ids::kNext);
  current.Hide();
  if (Unattended()) Advance(handOver.target);
}

void Wizard::RunInstallation() {
  install::InstallationRun run(
      {description_, installation_, password_, welcome_.Handle(), medium_.firstVolume,
       library_.LibraryFolder(), [this] { return targetDirectory_.Directory(); },
       [this](const std::string& t) { targetDirectory_.SetDirectory(t); },
       [this] { Navigate(Page::Installation, Action::Cancel); }, givenPassword_, Unattended()});
  run_ = &run;
  struct ForgetRunOnExit {
    install::InstallationRun*& slot;
    ~ForgetRunOnExit() { slot = nullptr; }
  } forget{run_};
  // A failure is the page's error report; the page then stays with its
  // Cancel button as the way out.
  const auto outcome = run.Perform();
  outcome_ = run.ExitCode();
  if (const auto* failure = std::get_if<install::RunFailure>(&outcome))
    winsupport::ShowErrorReport(install::FailureText(*failure, description_.English));
  else if (std::get<bool>(outcome) && !mainWindowClosed_)
    return Navigate(Page::Installation, Action::RunFinished);
  // Nobody is there to press the Cancel the page now offers.
  if (Unattended()) Navigate(Page::Installation, Action::Cancel);
}

void Wizard::Finish() {
  library_.Remove();
  outcome_ = contract::kExitDone;
  // Unattended, nothing is started: whoever deploys decides what runs.
  if (finished_.RunInstalledProgram() && !Unattended())
    pages::ExecNewProcess(targetDirectory_.Directory() + description_.AppExeName,
                          description_.English);
  description_.InstallCompleted = true;
  CloseMainWindow();
}

void Wizard::CloseMainWindow() {
  if (mainWindowClosed_) return;
  mainWindowClosed_ = true;
  // The library itself goes when the message loop has ended: a Cancel
  // during the extraction closes the main window while the archive reader
  // still has it loaded.
  // The empty target directory of an uncompleted setup goes when the loop
  // has ended (Run): a Cancel during the installation closes the main window
  // before the run has written the protocol of what it installed.
  description_.ConfigFiles.reset();
  for (Page p : {Page::Information, Page::ExistingInstallation, Page::TargetDirectory,
                 Page::Installation, Page::Finished})
    Window(p).Hide();
  welcome_.Hide();
  PostQuitMessage(0);
}

}  // namespace pelmora::app
