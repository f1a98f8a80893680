#include "pages/ExistingInstallationPage_win.h"

#include <utility>
#include <variant>

#include "winsupport/ErrorReport_win.h"

namespace pelmora::pages {

namespace {

// The choices' places below the top of their group box, in layout pixels.
constexpr int kFirstChoiceTop = 22;
constexpr int kSecondChoiceTop = 56;
constexpr int kChoiceHeight = 28;

HWND MakeChoice(HWND page, HINSTANCE instance, int id, const char* text, bool firstOfGroup) {
  const DWORD style = WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON | BS_MULTILINE |
                      (firstOfGroup ? WS_GROUP | WS_TABSTOP : 0);
  return CreateWindowExA(0, "BUTTON", text, style, 0, 0, 0, 0, page,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
}

}  // namespace

ExistingInstallationPage::ExistingInstallationPage(const UiResources& resources)
    : WizardPage(ExistingInstallationLayout(), resources) {
  HWND first =
      MakeChoice(Handle(), resources.Instance(), ids::kFirstChoice, kLayoutFirstChoice, true);
  HWND second =
      MakeChoice(Handle(), resources.Instance(), ids::kSecondChoice, kLayoutSecondChoice, false);
  // Tab reaches the choices after the buttons, as the layout orders them.
  SetWindowPos(first, Control(ids::kChoices), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetWindowPos(second, first, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  PlaceChoices();
}

void ExistingInstallationPage::PlaceChoices() {
  const ControlLayout& group = *FindControl(Layout(), ids::kChoices);
  const std::pair<int, int> choices[] = {{ids::kFirstChoice, kFirstChoiceTop},
                                         {ids::kSecondChoice, kSecondChoiceTop}};
  for (const auto& [id, top] : choices) {
    Place(Control(id), group.left + 8, group.top + top, group.width - 16, kChoiceHeight);
    SendMessageA(Control(id), WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(FontKind::Normal)),
                 TRUE);
  }
}

void ExistingInstallationPage::SetVersions(std::string productVersion, std::string installedVersion,
                                           bool english) {
  productVersion_ = std::move(productVersion);
  installedVersion_ = std::move(installedVersion);
  english_ = english;
}

void ExistingInstallationPage::OnShown() {
  if (situation_) return;
  // A version that is not four numbers is reported; the page then keeps
  // the texts of its layout.
  const auto judged = JudgeSituation(productVersion_, installedVersion_);
  if (const auto* invalid = std::get_if<contract::Refusal>(&judged))
    return winsupport::ShowErrorReport(InvalidIntegerText(*invalid));
  const Situation situation = std::get<Situation>(judged);
  const SituationTexts texts = TextsFor(situation, productVersion_, installedVersion_, english_);
  SetText(ids::kTitle, texts.title);
  SetText(ids::kSituation, texts.explanation);
  SetText(ids::kChoices, texts.groupCaption);
  SetText(ids::kFirstChoice, texts.firstChoice);
  SetText(ids::kSecondChoice, texts.secondChoice);
  SetChecked(ids::kFirstChoice, false);
  SetChecked(ids::kSecondChoice, false);
  EnableControl(ids::kNext, false);
  situation_ = situation;
}

void ExistingInstallationPage::OnCommand(int id, int notification) {
  if (notification == BN_CLICKED && (id == ids::kFirstChoice || id == ids::kSecondChoice)) {
    EnableControl(ids::kNext, true);
    return;
  }
  WizardPage::OnCommand(id, notification);
}

ChoiceOutcome ExistingInstallationPage::Decide(contract::InstallMode currentMode) const {
  return ApplyChoice(situation_, IsChecked(ids::kSecondChoice), currentMode);
}

}  // namespace pelmora::pages
