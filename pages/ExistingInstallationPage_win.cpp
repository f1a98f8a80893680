#include "pages/ExistingInstallationPage_win.h"

namespace pelmora::pages {

namespace {

HWND MakeChoice(HWND page, HINSTANCE instance, HFONT font, int id, int top, const char* text,
                bool firstOfGroup) {
  const ControlLayout& group = *FindControl(ExistingInstallationLayout(), ids::kChoices);
  const DWORD style = WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON | BS_MULTILINE |
                      (firstOfGroup ? WS_GROUP | WS_TABSTOP : 0);
  HWND button = CreateWindowExA(
      0, "BUTTON", text, style, group.left + 8, group.top + top, group.width - 16, 28, page,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
  SendMessageA(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return button;
}

}  // namespace

ExistingInstallationPage::ExistingInstallationPage(const UiResources& resources)
    : WizardPage(ExistingInstallationLayout(), resources) {
  HWND first = MakeChoice(Handle(), resources.Instance(), resources.Font(FontKind::Normal),
                          ids::kFirstChoice, 22, kLayoutFirstChoice, true);
  HWND second = MakeChoice(Handle(), resources.Instance(), resources.Font(FontKind::Normal),
                           ids::kSecondChoice, 56, kLayoutSecondChoice, false);
  // Tab reaches the choices after the buttons, as the layout orders them.
  SetWindowPos(first, Control(ids::kChoices), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetWindowPos(second, first, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void ExistingInstallationPage::SetVersions(std::string productVersion, std::string installedVersion,
                                           bool english) {
  productVersion_ = std::move(productVersion);
  installedVersion_ = std::move(installedVersion);
  english_ = english;
}

void ExistingInstallationPage::OnShown() {
  if (situation_) return;
  // Throws for a version that is not four numbers; the page then keeps the
  // texts of its layout.
  const Situation situation = JudgeSituation(productVersion_, installedVersion_);
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
