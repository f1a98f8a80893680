// The setup without anyone at the screen (/S, /SP): the same pages, the same
// way between them and the same run as with a user, only that the wizard
// presses Next itself, takes each choice from its default, and shows no
// window but, with /SP, the installation page. What a message box would have
// said is in the log (winsupport::TellUser); how it ended is the exit code.
#include <variant>

#include "app/Wizard_win.h"
#include "contract/Language.h"
#include "install/FailureText_win.h"
#include "pages/ExistingInstallation.h"
#include "winsupport/ErrorReport_win.h"
#include "winsupport/Files_win.h"
#include "winsupport/SystemLanguage_win.h"

namespace pelmora::app {

namespace {

const char* SituationName(pages::Situation situation) {
  switch (situation) {
    case pages::Situation::Repair:
      return "repair";
    case pages::Situation::Update:
      return "update";
    case pages::Situation::Downgrade:
      break;
  }
  return "downgrade";
}

}  // namespace

void Wizard::Present(pages::PageWindow& page, Page which) {
  if (!Unattended() || (switches_.progressOnly && which == Page::Installation))
    page.Show();
  else
    page.ActAsShown();
}

void Wizard::Advance(Page page) {
  // The installation page starts its run from its timer; a closed main
  // window has ended the way.
  if (page == Page::Installation || mainWindowClosed_) return;
  if (page == Page::ExistingInstallation) ChooseDefaultForExistingInstallation();
  Window(page).Press(pages::ids::kNext);
  // Only the target page keeps the user after Next: it refused the folder
  // (its message is in the log) or had none.
  if (current_ == page && !mainWindowClosed_) {
    winsupport::ReportLog().Line("target folder refused: \"" + targetDirectory_.Directory() + "\"");
    outcome_ = contract::kExitTargetRefused;
    CloseMainWindow();
  }
}

// The choice the page offers first (repair or update, never the complete
// one that overwrites every file), and for a downgrade the "Abort" unless
// /DOWNGRADE asks for the installation anyway.
void Wizard::ChooseDefaultForExistingInstallation() {
  const auto judged =
      pages::JudgeSituation(description_.ProductVersion, description_.InstalledVersion);
  const auto* situation = std::get_if<pages::Situation>(&judged);
  const bool downgrade = situation && *situation == pages::Situation::Downgrade;
  existing_.SetChecked(
      downgrade && switches_.downgrade ? pages::ids::kSecondChoice : pages::ids::kFirstChoice,
      true);
  winsupport::ReportLog().Line("installed version \"" + description_.InstalledVersion +
                               "\", this medium's \"" + description_.ProductVersion +
                               "\": " + (situation ? SituationName(*situation) : "not comparable"));
  if (downgrade && !switches_.downgrade) {
    winsupport::ReportLog().Line("downgrade refused: /DOWNGRADE was not given");
    outcome_ = contract::kExitDowngradeRefused;
  }
}

// The archive's password: the file's first line, without its line end. The
// password itself goes nowhere else, least of all into the log.
bool Wizard::ReadPasswordFile() {
  const auto read = winsupport::ReadFileStart(*switches_.passwordFile, 4096);
  if (const auto* failure = std::get_if<common::WinFailure>(&read)) {
    const bool english = contract::UsesEnglish(winsupport::SystemLanguageName());
    winsupport::ShowErrorReport(
        (english ? "The password file cannot be read: " : "Die Kennwortdatei ist nicht lesbar: ") +
        install::FailureText(*failure));
    return false;
  }
  const std::string& bytes = std::get<std::string>(read);
  givenPassword_ = bytes.substr(0, bytes.find_first_of("\r\n"));
  winsupport::ReportLog().Line("password read from \"" + *switches_.passwordFile + "\"");
  return true;
}

}  // namespace pelmora::app
