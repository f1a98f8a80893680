#include "pages/AboutBox_win.h"

#include <shellapi.h>

#include "pages/AboutTexts.h"
#include "pages/ControlIds.h"
#include "setupdesc/Scramble.h"

namespace pelmora::pages {

AboutBox::AboutBox(const UiResources& resources) : PageWindow(AboutLayout(), resources) {
  SetText(ids::kAboutNotice, setupdesc::Unscramble(kScrambledNotice, kAboutSeed));
  SetText(ids::kAboutMail, kAuthorMail);
}

void AboutBox::SetVersion(const std::string& setupVersion) {
  SetText(ids::kAboutVersion, "Version " + setupVersion);
}

void AboutBox::OnCommand(int id, int notification) {
  if (id == ids::kAboutOk && notification == BN_CLICKED) EndModal();
  if (id == ids::kAboutMail && notification == STN_CLICKED)
    ShellExecuteA(nullptr, "open", AboutMailLink(Text(ids::kAboutVersion)).c_str(), nullptr,
                  nullptr, SW_SHOWNORMAL);
}

}  // namespace pelmora::pages
