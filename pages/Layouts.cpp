// The layouts of the eight windows. German texts are those of the layout;
// the English column is applied in one step when the system is not German.
#include <array>

#include "pages/ControlIds.h"
#include "pages/Layout.h"

namespace pelmora::pages {

namespace {

using K = ControlKind;
using F = FontKind;

constexpr int kPageWidth = 496;
constexpr int kPageHeight = 352;

// The wizard buttons and the separator above them, the same on every page.
constexpr ControlLayout Separator(int left) {
  return C(ids::kSeparator, "Panel1", K::Separator, left, 304, 497, 3, "");
}
constexpr ControlLayout BackButton(int tab) {
  return C(ids::kBack, "zurueck", K::Button, 240, 316, 75, 25, "< &Zurück").En("< &Back").Tab(tab);
}
constexpr ControlLayout NextButton(const char* german, const char* english, int tab) {
  return C(ids::kNext, "weiter", K::DefaultButton, 315, 316, 75, 25, german).En(english).Tab(tab);
}
constexpr ControlLayout CancelButton(int tab) {
  return C(ids::kCancel, "abbrechen", K::Button, 416, 316, 75, 25, "&Abbrechen")
      .En("&Cancel")
      .Tab(tab);
}

constexpr ControlLayout kWelcome[] = {
    C(ids::kImage, "Image1", K::Image, 0, 0, 164, 300, "").Show(Picture::WizardStrip),
    C(ids::kWhitePanel, "Shape1", K::WhitePanel, 165, 0, 330, 300, ""),
    C(ids::kAppName, "appname", K::Label, 176, 8, 305, 44, "")
        .Font(F::Title18)
        .Wrap()
        .Transparent(),
    C(ids::kInfo1, "info1", K::Label, 176, 64, 305, 28,
      "Dieses Programm installiert das oben genannte Produkt auf Ihrem Computer.")
        .En("This application will install the program mentioned on the top.")
        .Wrap()
        .Transparent(),
    C(ids::kInfo2, "Info2", K::Label, 176, 104, 305, 28,
      "Klicken Sie auf Weiter um die Installation fortzusetzen.")
        .En("To proceed, please click on Next.")
        .Wrap()
        .Transparent(),
    C(ids::kTerminateInfo, "lTerminateInfo", K::Label, 176, 144, 305, 80,
      "Hinweis: Das zu installierende Programm lief im Hintergrund und musste beendet werden.")
        .Hidden()
        .Wrap()
        .Transparent(),
    C(ids::kHiddenDirectory, "verzeichnis", K::Label, 176, 280, 305, 13, "verzeichnis").Hidden(),
    NextButton("&Weiter >", "&Next >", 0),
    BackButton(1).Disabled(),
    CancelButton(2),
    Separator(-8),
    C(ids::kProductLabel, "Label1", K::Label, 8, 316, 120, 13, "Pelmora").Grey(),
    C(ids::kAbout, "lblabout", K::Link, 8, 333, 60, 13, "About"),
};

constexpr ControlLayout kInformation[] = {
    C(ids::kImage, "Image1", K::Image, 0, 0, 495, 50, "").Show(Picture::Header),
    C(ids::kTitle, "Titel", K::Label, 8, 8, 319, 27, "Informationen zum Programm")
        .En("Important informations")
        .Font(F::Title24)
        .Transparent(),
    NextButton("&Weiter >", "&Next >", 0),
    BackButton(1),
    CancelButton(2),
    C(ids::kInfoMemo, "Text", K::Memo, 16, 72, 473, 209, "").Tab(3),
    Separator(-8),
};

constexpr ControlLayout kTargetDirectory[] = {
    C(ids::kImage, "Image1", K::Image, 0, 0, 495, 50, "").Show(Picture::Header),
    C(ids::kTitle, "Titel", K::Label, 8, 8, 330, 27, "Installationspfad")
        .En("Directory")
        .Font(F::Title24)
        .Transparent(),
    C(ids::kExplainNext, "Label2", K::Label, 8, 56, 340, 26,
      "Klicken Sie auf Weiter, wenn Sie das Programm im unten angegebenen Verzeichnis "
      "installieren wollen.")
        .En("Select directory to install to")
        .Wrap(),
    C(ids::kExplainBrowse, "Label3", K::Label, 8, 96, 480, 13,
      "Wählen Sie Durchsuchen, um ein anderes Verzeichnis auszuwählen.")
        .En("")
        .Wrap(),
    C(ids::kExplainCancel, "Label1", K::Label, 8, 120, 480, 26,
      "Um die Installation abzubrechen, verwenden Sie Abbrechen")
        .En("Click on cancel to abort.")
        .Wrap(),
    NextButton("&Weiter >", "&Next >", 0),
    C(ids::kBrowse, "browse", K::Button, 392, 256, 89, 21, "&Durchsuchen...")
        .En("&Browse...")
        .Tab(1),
    BackButton(2),
    CancelButton(3),
    // The label stands right before the edit so that its accelerator
    // focuses the edit.
    C(ids::kDirectoryLabel, "Label4", K::Label, 16, 240, 120, 13, "Ziel&verzeichnis:"),
    C(ids::kDirectory, "Verzeichnis", K::Edit, 16, 256, 369, 21, "").Tab(4),
    C(ids::kDirectoryFrame, "Bevel1", K::Bevel, 8, 232, 481, 58, ""),
    Separator(-8),
};

constexpr ControlLayout kFinished[] = {
    C(ids::kWhitePanel, "Shape1", K::WhitePanel, 165, 0, 330, 300, ""),
    C(ids::kImage, "Image1", K::Image, 0, 0, 164, 300, "").Show(Picture::WizardStrip),
    C(ids::kTitle, "Titel", K::Label, 176, 8, 305, 22, "Installation abgeschlossen")
        .En("Application installed")
        .Font(F::Title18)
        .Transparent(),
    C(ids::kFinishedText, "Label2", K::Label, 176, 45, 281, 33,
      "Das Programm wurde auf Ihrem Computer installiert.")
        .En("")
        .Wrap()
        .Transparent(),
    C(ids::kFinishHint, "Label1", K::Label, 176, 96, 209, 33,
      "Klicken Sie auf Beenden, um das Installationsprogramm zu beenden.")
        .En("Click on Finish to quit.")
        .Wrap()
        .Transparent(),
    NextButton("&Beenden", "&Finish", 0),
    BackButton(1).Disabled(),
    C(ids::kRunNow, "chkRunInstalledAppNow", K::CheckBox, 176, 136, 257, 17,
      "Installiertes Programm jetzt starten")
        .En("Run installed application now")
        .Tab(3)
        .White(),
    Separator(-1),
};

constexpr ControlLayout kPassword[] = {
    C(ids::kPasswordText, "Label1", K::Label, 8, 8, 167, 54,
      "Dieses Programm kann nur mit Hilfe eines Passwortes Installiert werden. Bitte eingeben:")
        .En("This application is only installable with entering a password.")
        .Wrap(),
    C(ids::kPassword, "pwd", K::PasswordEdit, 14, 64, 161, 21, "").Tab(0),
    C(ids::kPasswordOk, "Button1", K::DefaultButton, 57, 96, 75, 25, "Ok").Tab(1),
};

constexpr ControlLayout kInstallation[] = {
    C(ids::kBoxImage, "Image1", K::Image, 8, 6, 40, 40, "").Show(Picture::InstallBox),
    C(ids::kArrowImage, "Image2", K::Image, 8, 48, 40, 24, "").Show(Picture::InstallArrow),
    C(ids::kPcImage, "Image3", K::Image, 8, 74, 40, 40, "").Show(Picture::InstallPc),
    C(ids::kInstallInfo, "info", K::Label, 60, 8, 325, 22, "Das Programm wird nun installiert...")
        .En("Installing files...")
        .Font(F::Heading16),
    C(ids::kProgress, "bar", K::ProgressBar, 60, 40, 325, 17, ""),
    C(ids::kStatus, "status", K::Label, 60, 64, 325, 26, "Status").Grey(),
    C(ids::kUnusedText, "text", K::Memo, 60, 96, 40, 20, "").Hidden(),
    C(ids::kProtocolList, "logF", K::Memo, 110, 96, 40, 20, "").Hidden(),
    C(ids::kInstallCancel, "bCancel", K::Button, 310, 96, 75, 25, "Cancel").Tab(0).Hidden(),
};

// The logo takes the top of the panel; the texts stand below it, so that
// none runs over the picture or another text.
constexpr ControlLayout kAbout[] = {
    C(ids::kAboutOk, "OKButton", K::DefaultButton, 111, 184, 75, 25, "OK").Tab(0),
    C(ids::kAboutName, "ProductName", K::Label, 16, 119, 60, 16, "Pelmora")
        .Font(F::Bold)
        .Transparent(),
    C(ids::kAboutVersion, "Version", K::Label, 80, 120, 200, 13, "Version 1.02").Transparent(),
    C(ids::kAboutNotice, "Copyright", K::Label, 16, 136, 265, 13, "").Transparent(),
    C(ids::kAboutMailText, "Label1", K::Label, 16, 152, 265, 13,
      "Bugreports und Vorschläge bitte an:")
        .Transparent(),
    C(ids::kAboutMail, "Label2", K::Link, 16, 166, 150, 13, "").Transparent(),
    C(ids::kAboutLogo, "Image1", K::Image, 56, 12, 194, 105, "").Show(Picture::AboutLogo),
    C(ids::kAboutPanel, "Panel1", K::RaisedPanel, 8, 8, 281, 174, ""),
};

constexpr ControlLayout kExistingInstallation[] = {
    C(ids::kImage, "Image1", K::Image, 0, 0, 495, 50, "").Show(Picture::Header),
    C(ids::kTitle, "Titel", K::Label, 8, 8, 480, 27, "Installationspfad")
        .Font(F::Title24)
        .Transparent(),
    C(ids::kSituation, "Label1", K::Label, 8, 56, 340, 84,
      "Klicken Sie auf Weiter, wenn Sie das Programm im unten angegebenen Verzeichnis "
      "installieren wollen.")
        .Wrap(),
    C(ids::kNext, "Weiter", K::DefaultButton, 315, 316, 75, 25, "&Weiter >").Tab(0).Disabled(),
    C(ids::kBack, "zurueck", K::Button, 240, 316, 75, 25, "< &Zurück").Tab(1),
    C(ids::kCancel, "Abbrechen", K::Button, 416, 316, 75, 25, "&Abbrechen").Tab(2),
    C(ids::kChoices, "rgPossibilities", K::RadioGroup, 16, 144, 441, 105, " Bitte wählen Sie: ")
        .Tab(4),
    Separator(-8),
};

const WindowLayout kWindows[] = {
    {"Twillkommen", "Willkommen", "Welcome", kPageWidth, kPageHeight, false,
     Placement::CentredOnScreen, kWelcome},
    {"TInfos", "Installation", nullptr, kPageWidth, kPageHeight, false, Placement::CentredOnScreen,
     kInformation},
    {"TVerzeichnisauswahl", "Installation", nullptr, kPageWidth, kPageHeight, false,
     Placement::CentredOnScreen, kTargetDirectory},
    {"TFinished", "Abgeschlossen", "Finished", kPageWidth, kPageHeight, false,
     Placement::CentredOnScreen, kFinished},
    {"TPasswort", "Passwort benötigt", "Password neccessary", 189, 127, true,
     Placement::CentredOnMainWindow, kPassword},
    {"Tinstal", "Installation", nullptr, 393, 128, false, Placement::CentredOnScreen,
     kInstallation},
    {"TAboutBox", "Info", nullptr, 298, 213, true, Placement::CentredOnScreen, kAbout},
    {"TBereitsVorhanden", "Installation", nullptr, kPageWidth, kPageHeight, false,
     Placement::CentredOnScreen, kExistingInstallation},
};

constexpr std::array<const WindowLayout*, 8> kCreationOrder = {
    &kWindows[0], &kWindows[1], &kWindows[2], &kWindows[3],
    &kWindows[4], &kWindows[5], &kWindows[6], &kWindows[7]};

}  // namespace

const WindowLayout& WelcomeLayout() { return kWindows[0]; }
const WindowLayout& InformationLayout() { return kWindows[1]; }
const WindowLayout& TargetDirectoryLayout() { return kWindows[2]; }
const WindowLayout& FinishedLayout() { return kWindows[3]; }
const WindowLayout& PasswordLayout() { return kWindows[4]; }
const WindowLayout& InstallationLayout() { return kWindows[5]; }
const WindowLayout& AboutLayout() { return kWindows[6]; }
const WindowLayout& ExistingInstallationLayout() { return kWindows[7]; }

std::span<const WindowLayout* const> AllLayouts() { return kCreationOrder; }

const ControlLayout* FindControl(const WindowLayout& window, int id) {
  for (const ControlLayout& c : window.controls)
    if (c.id == id) return &c;
  return nullptr;
}

}  // namespace pelmora::pages
