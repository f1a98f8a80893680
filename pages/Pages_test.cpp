#include <gtest/gtest.h>

#include <set>
#include <string>

#include "common/DpiScale.h"
#include "pages/AboutTexts.h"
#include "pages/ControlIds.h"
#include "pages/ExistingInstallation.h"
#include "pages/Layout.h"
#include "pages/TargetTexts.h"
#include "setupdesc/Scramble.h"

namespace pelmora::pages {
namespace {

TEST(IsOlderVersion, ComparesFourSixteenBitComponentsInOrder) {
  struct Case {
    const char* installed;
    const char* product;
    bool older;
  };
  const Case cases[] = {
      {"1.1.9.9", "1.2.0.0", true},
      {"2.0.0.0", "1.5.0.0", false},     // the first component decides
      {"1.2.0.0", "1.2.0.00", false},    // equal numbers are not older
      {"1.65536.0.0", "1.1.0.0", true},  // only the low 16 bits count
      {"1.2.3.4", "1.2.3.5", true},
      {"1.2.3.-1", "1.2.3.4", false},  // -1 is 65535
      {"+1.0.0.0", "2.0.0.0", true},
  };
  for (const Case& c : cases)
    EXPECT_EQ(std::get<bool>(IsOlderVersion(c.installed, c.product)), c.older)
        << c.installed << " " << c.product;
}

TEST(IsOlderVersion, RefusesWhatIsNotFourIntegers) {
  struct Case {
    const char* version;
    const char* component;
  };
  const Case cases[] = {
      {"", ""},
      {"1.2.3", ""},
      {"1..3.4", ""},
      {"1.2.3.4.5", "4.5"},
      {"1.x.3.4", "x"},
      {" 1.2.3.4", " 1"},
      {"1.2.3.99999999999", "99999999999"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.version);
    const auto older = IsOlderVersion(c.version, "1.0.0.0");
    const auto* invalid = std::get_if<contract::Refusal>(&older);
    ASSERT_NE(invalid, nullptr);
    EXPECT_EQ(invalid->reason, contract::Reason::NotAnInteger);
    EXPECT_EQ(InvalidIntegerText(*invalid),
              "'" + std::string(c.component) + "' ist kein g\xFCltiger Integerwert");
  }
}

TEST(ExistingInstallation, SituationTextsAndModes) {
  using Judged = std::variant<Situation, contract::Refusal>;
  const auto situation = [](const Judged& judged) { return std::get<Situation>(judged); };
  EXPECT_EQ(situation(JudgeSituation("1.2.0.0", "1.2.0.0")), Situation::Repair);
  EXPECT_EQ(situation(JudgeSituation("not a version", "not a version")), Situation::Repair);
  EXPECT_EQ(situation(JudgeSituation("1.2.0.0", "1.1.9.9")), Situation::Update);
  EXPECT_EQ(situation(JudgeSituation("1.5.0.0", "2.0.0.0")), Situation::Downgrade);
  // No DisplayVersion.
  EXPECT_TRUE(std::holds_alternative<contract::Refusal>(JudgeSituation("1.2.0.0", "")));

  const SituationTexts de = TextsFor(Situation::Update, "1.2.0.0", "1.1.9.9", false);
  EXPECT_EQ(de.title, "Update auf 1.2.0.0");
  EXPECT_NE(de.explanation.find("(1.1.9.9)"), std::string::npos);
  EXPECT_EQ(de.groupCaption, " Bitte w\xE4hlen Sie: ");
  const SituationTexts en = TextsFor(Situation::Update, "1.2.0.0", "1.1.9.9", true);
  EXPECT_EQ(en.title, "Update to 1.2.0.0");
  EXPECT_NE(en.explanation.find("(1.1.9.9)"), std::string::npos);
  EXPECT_EQ(TextsFor(Situation::Downgrade, "1", "2", true).firstChoice, "&Abort");

  // Next derives the mode afresh each time, replacing the one the welcome page set.
  using M = contract::InstallMode;
  EXPECT_EQ(ApplyChoice(Situation::Update, false, M::AwaitingChoice).mode, M::Update);
  EXPECT_EQ(ApplyChoice(Situation::Update, true, M::Update).mode, M::CompleteUpdate);
  // Back, and the first choice again.
  EXPECT_EQ(ApplyChoice(Situation::Update, false, M::CompleteUpdate).mode, M::Update);
  EXPECT_EQ(ApplyChoice(Situation::Repair, false, M::CompleteRepair).mode, M::Repair);
  EXPECT_EQ(ApplyChoice(Situation::Repair, true, M::AwaitingChoice).mode, M::CompleteRepair);
  EXPECT_EQ(ApplyChoice(Situation::Downgrade, true, M::Downgrade).mode, M::CompleteDowngrade);
  EXPECT_FALSE(ApplyChoice(Situation::Downgrade, true, M::Downgrade).endSetup);
  EXPECT_TRUE(ApplyChoice(Situation::Downgrade, false, M::AwaitingChoice).endSetup);  // "Abort"
  // The versions could not be compared: the mode stays.
  EXPECT_EQ(ApplyChoice(std::nullopt, true, M::AwaitingChoice).mode, M::AwaitingChoice);
}

// A UTF-8 sequence in a text means the source was not converted to the ANSI
// code page: Windows would show two characters for each umlaut.
bool LooksLikeUtf8(const std::string& s) {
  for (std::size_t i = 0; i + 1 < s.size(); ++i) {
    const auto a = static_cast<unsigned char>(s[i]), b = static_cast<unsigned char>(s[i + 1]);
    if (a >= 0xC2 && a <= 0xF4 && b >= 0x80 && b <= 0xBF) return true;
  }
  return false;
}

TEST(TargetRefusedText, AFolderOfTheChainIsNamedInBothLanguages) {
  using contract::Reason;
  std::set<std::string> texts;
  for (const Reason reason : {Reason::LinkedFolder, Reason::ReplaceableFolder,
                              Reason::ForeignPermissions, Reason::WritableTarget})
    for (const bool english : {true, false}) {
      const std::string text = TargetRefusedText({reason, "C:\\Firma"}, english);
      EXPECT_NE(text.find("\"C:\\Firma\""), std::string::npos) << text;
      texts.insert(text);
    }
  EXPECT_EQ(texts.size(), 8u);
  // German as Windows-1252 bytes, like every text of the setup.
  EXPECT_EQ(
      TargetRefusedText({Reason::WritableTarget, "C:\\P"}, false),
      "Andere Benutzer d\xFCrfen in den Ordner \"C:\\P\" schreiben oder \xE4ndern, was "
      "darin abgelegt wird. Mit Administratorrechten wird das Produkt dort nicht "
      "installiert: Andere Benutzer k\xF6nnten \xE4ndern, was installiert und ausgef\xFChrt wird. "
      "Bitte w\xE4hlen Sie einen anderen Ordner, etwa einen im Programmordner.");
  // The target rule's own reasons read as before, the detail aside.
  EXPECT_EQ(TargetRefusedText({Reason::DriveRoot, "C:\\"}, true),
            TargetRefusedText(Reason::DriveRoot, true));
}

TEST(Layouts, EveryWindowIsWellFormed) {
  const auto windows = AllLayouts();
  ASSERT_EQ(windows.size(), 8u);
  const char* order[] = {"Twillkommen", "TInfos",  "TVerzeichnisauswahl", "TFinished",
                         "TPasswort",   "Tinstal", "TAboutBox",           "TBereitsVorhanden"};
  for (std::size_t w = 0; w < windows.size(); ++w) {
    const WindowLayout& window = *windows[w];
    SCOPED_TRACE(window.name);
    EXPECT_STREQ(window.name, order[w]);
    EXPECT_FALSE(LooksLikeUtf8(window.germanCaption));
    std::set<int> ids;
    int lastTab = -1;
    for (const ControlLayout& c : window.controls) {
      SCOPED_TRACE(c.name);
      EXPECT_TRUE(ids.insert(c.id).second) << "duplicate id";
      // Separators start left of the page, as the layout has them.
      if (c.kind != ControlKind::Separator) {
        EXPECT_GE(c.left, 0);
        EXPECT_LE(c.left + c.width, window.clientWidth);
      }
      EXPECT_GE(c.top, 0);
      EXPECT_LE(c.top + c.height, window.clientHeight);
      EXPECT_FALSE(LooksLikeUtf8(TextFor(c, false)));
      EXPECT_FALSE(LooksLikeUtf8(TextFor(c, true)));
      // Controls are created in tab order; the order of creation is the
      // order in which Tab moves.
      if (c.tabOrder != kNoTabStop) {
        EXPECT_GT(c.tabOrder, lastTab);
        lastTab = c.tabOrder;
      }
    }
  }
}

TEST(Layouts, EnglishModeKeepsWhatHasNoEnglishForm) {
  // The wizard pages switch their buttons, except the existing-installation page.
  for (const WindowLayout* w : {&WelcomeLayout(), &InformationLayout(), &TargetDirectoryLayout()}) {
    EXPECT_STREQ(TextFor(*FindControl(*w, ids::kNext), true), "&Next >");
    EXPECT_STREQ(TextFor(*FindControl(*w, ids::kBack), true), "< &Back");
  }
  EXPECT_STREQ(TextFor(*FindControl(ExistingInstallationLayout(), ids::kNext), true), "&Weiter >");
  EXPECT_STREQ(TextFor(*FindControl(TargetDirectoryLayout(), ids::kDirectoryLabel), true),
               "Ziel&verzeichnis:");
  EXPECT_STREQ(TextFor(*FindControl(TargetDirectoryLayout(), ids::kExplainBrowse), true), "");
  EXPECT_STREQ(TextFor(*FindControl(FinishedLayout(), ids::kFinishedText), true), "");
  EXPECT_STREQ(CaptionFor(FinishedLayout(), true), "Finished");
  EXPECT_STREQ(CaptionFor(InformationLayout(), true), "Installation");
  EXPECT_STREQ(CaptionFor(PasswordLayout(), false), "Passwort ben\xF6tigt");
}

TEST(AboutBox, NoticeUnscramblesUnderTheBoxSeed) {
  EXPECT_GE(kAboutSeed, 100);
  EXPECT_LE(kAboutSeed, 999);
  EXPECT_EQ(setupdesc::Unscramble(kScrambledNotice, kAboutSeed),
            "\xA9 2026 Pelmora. Alle Rechte vorbehalten.");
  EXPECT_EQ(AboutMailLink("Version 1.0.0.1"),
            "mailto:bugs@pelmora.example?Subject=Pelmora Version 1.0.0.1");
}

}  // namespace
}  // namespace pelmora::pages

namespace pelmora::pages {
namespace {

// Scaling the layouts: the 96-DPI layout holds to the pixel, and at any
// other DPI controls keep their neighbours (touching stays touching, apart
// stays apart) and stay inside their window.
TEST(DpiScale, KeepsEveryLayoutWholeAtEveryDpi) {
  using common::DpiScale;
  EXPECT_EQ(DpiScale(144)(496), 744);
  EXPECT_EQ(DpiScale(144)(127), 191);  // 190.5 rounds up
  EXPECT_EQ(DpiScale(120)(-3), -4);    // halves away from zero
  EXPECT_EQ(DpiScale(0).Dpi(), 96);    // a failed query is the layout's own
  for (const WindowLayout* window : AllLayouts()) {
    for (int dpi : {96, 120, 144, 168, 192, 240}) {
      const DpiScale scale(dpi);
      for (const ControlLayout& a : window->controls) {
        const common::Edges sa = scale.Box(a.left, a.top, a.width, a.height);
        if (dpi == 96) {
          EXPECT_EQ(sa, (common::Edges{a.left, a.top, a.left + a.width, a.top + a.height}));
        }
        if (a.left + a.width <= window->clientWidth && a.top + a.height <= window->clientHeight) {
          EXPECT_TRUE(sa.right <= scale(window->clientWidth) &&
                      sa.bottom <= scale(window->clientHeight))
              << window->name << " " << a.name << " at " << dpi;
        }
        for (const ControlLayout& b : window->controls) {
          const common::Edges sb = scale.Box(b.left, b.top, b.width, b.height);
          EXPECT_EQ(a.left + a.width == b.left, sa.right == sb.left)
              << window->name << " " << a.name << "|" << b.name << " at " << dpi;
          EXPECT_EQ(a.left + a.width < b.left, sa.right < sb.left)
              << window->name << " " << a.name << "|" << b.name << " at " << dpi;
          EXPECT_EQ(a.top + a.height <= b.top, sa.bottom <= sb.top)
              << window->name << " " << a.name << "|" << b.name << " at " << dpi;
        }
      }
    }
  }
}

}  // namespace
}  // namespace pelmora::pages
