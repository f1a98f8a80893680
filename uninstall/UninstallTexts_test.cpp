#include "uninstall/UninstallTexts.h"

#include <gtest/gtest.h>

namespace pelmora::uninstall {
namespace {

TEST(UninstallTexts, RejectionsAndTheQuestionInBothLanguages) {
  // German texts are Windows-1252 bytes, like every text of the project.
  EXPECT_EQ(RejectionText(Reason::TooLarge, "C:\\x.log", false),
            "Die Datei \"C:\\x.log\" ist zu gro\xDF f\xFCr ein Deinstallationsprotokoll. "
            "Es wurde nichts entfernt.");
  EXPECT_EQ(RejectionText(Reason::NotAProtocol, "C:\\x.log", true),
            "The file \"C:\\x.log\" is not an uninstall protocol. Nothing was removed.");
  EXPECT_EQ(ConfirmationText("Tool 1.0", true),
            "Do you want to remove \"Tool 1.0\" and all of its components?");
  EXPECT_EQ(RejectionText(Reason::ReplaceableFolder, "C:\\Firma", false),
            "Andere Benutzer d\xFCrfen den Ordner \"C:\\Firma\" auf dem Weg zum Produkt "
            "umbenennen, l\xF6schen oder ersetzen: Was jetzt dort liegt, geh\xF6rt vielleicht "
            "nicht zum Produkt. Es wurde nichts entfernt.");
  EXPECT_EQ(RejectionText(Reason::NoArgument, "", true),
            "Start the uninstaller with the path of the product's protocol file (UnInstall.log) "
            "as its argument (beside /S or /LOG= if given). Nothing was removed.");
}

TEST(UninstallTexts, SummaryCountsAndListsWhatIsLeftUpToTheCap) {
  Outcome outcome;
  outcome.removed = {5, 2, 3, 1, 0};
  EXPECT_EQ(SummaryText("Tool", outcome, true),
            "\"Tool\" has been removed.\r\n\r\nRemoved: 5 files, 2 folders, 3 registry keys, "
            "1 shortcut, 0 COM servers unregistered.");

  outcome.left = {{{Reason::InUse, "C:\\P\\Tool\\a.dll"}},
                  {{Reason::NotEmpty, "C:\\P\\Tool"}},
                  {{Reason::SharedKey, "HKEY_CURRENT_USER\\Software"}},
                  {{Reason::Failed, "C:\\P\\Tool\\b.dat"}, 5}};
  EXPECT_EQ(
      SummaryText("Tool", outcome, false, 3),
      "\"Tool\" wurde teilweise entfernt.\r\n\r\nEntfernt: 5 Dateien, 2 Ordner, "
      "3 Registrierungsschl\xFCssel, 1 Verkn\xFCpfung, 0 COM-Server abgemeldet.\r\n\r\n"
      "Nicht entfernt:\r\n"
      "C:\\P\\Tool\\a.dll (in Gebrauch \x97 nach dem Schlie\xDF"
      "en des Programms l\xF6schen)\r\n"
      "C:\\P\\Tool (Ordner nicht leer: enth\xE4lt Dateien, die nicht zum Produkt geh\xF6ren)\r\n"
      "HKEY_CURRENT_USER\\Software (abgelehnt: Schl\xFCssel, den andere Software mitbenutzt)\r\n"
      "... und 1 weitere.");
  EXPECT_NE(
      SummaryText("Tool", outcome, true).find("C:\\P\\Tool\\b.dat (could not be removed, error 5)"),
      std::string::npos);
  // Every reason a thing can stay for has a text in both languages, and so
  // has every reason a protocol named by its path, or its target for a
  // folder of its chain, can be refused for.
  for (int r = 0; r <= static_cast<int>(Reason::Failed); ++r) {
    EXPECT_FALSE(ReasonText(static_cast<Reason>(r), true).empty());
    EXPECT_FALSE(ReasonText(static_cast<Reason>(r), false).empty());
  }
  for (int r = static_cast<int>(Reason::NotAbsolute); r <= static_cast<int>(Reason::WritableTarget);
       ++r) {
    if (static_cast<Reason>(r) == Reason::NoArgument ||
        (r > static_cast<int>(Reason::Altered) && r < static_cast<int>(Reason::LinkedFolder)))
      continue;
    for (const bool english : {true, false})
      EXPECT_NE(RejectionText(static_cast<Reason>(r), "C:\\x.log", english).find("\"C:\\x.log\""),
                std::string::npos)
          << r;
  }
}

// The log's lines name each kind of thing, the product's Uninstall entry
// and a seal as such, a thing left with its reason and code, a refusal
// and the exit code with the whole run's time.
TEST(UninstallTexts, TheLogsLines) {
  const std::string entry =
      "HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tool";
  const std::vector<std::pair<GoneItem, std::string>> removed = {
      {{Kind::File, "C:\\P\\a.txt"}, "Removed file: C:\\P\\a.txt"},
      {{Kind::Folder, "C:\\P"}, "Removed folder: C:\\P"},
      {{Kind::Key, "HKEY_CURRENT_USER\\Software\\Firma\\Tool"},
       "Removed registry key: HKEY_CURRENT_USER\\Software\\Firma\\Tool"},
      {{Kind::Key, entry}, "Removed Uninstall entry: " + entry},
      {{Kind::Key, entry + "\\Sub"}, "Removed registry key: " + entry + "\\Sub"},
      {{Kind::Key, "HKEY_LOCAL_MACHINE\\Software\\Pelmora\\Seals\\HKEY_CURRENT_USER\\Tool"},
       "Removed seal: HKEY_LOCAL_MACHINE\\Software\\Pelmora\\Seals\\HKEY_CURRENT_USER\\Tool"},
      {{Kind::Shortcut, "C:\\S\\Tool.lnk"}, "Removed shortcut: C:\\S\\Tool.lnk"},
      {{Kind::Server, "C:\\P\\x.dll"}, "Unregistered COM server: C:\\P\\x.dll"},
  };
  for (const auto& [item, english] : removed) EXPECT_EQ(RemovedLine(item, true), english);
  EXPECT_EQ(RemovedLine({Kind::Key, entry}, false), "Entfernt: Deinstallationseintrag " + entry);
  EXPECT_EQ(RemovedLine({Kind::Shortcut, "C:\\a.lnk"}, false),
            "Entfernt: Verkn\xFCpfung C:\\a.lnk");
  EXPECT_EQ(LeftLine({{Reason::Failed, "C:\\P\\b.dat"}, 5}, true),
            "Left: C:\\P\\b.dat (could not be removed, error 5)");
  EXPECT_EQ(LeftLine({{Reason::NotEmpty, "C:\\P"}}, false),
            "Nicht entfernt: C:\\P (Ordner nicht leer: enth\xE4lt Dateien, die nicht zum Produkt "
            "geh\xF6ren)");
  EXPECT_EQ(RefusedLine(RejectionText(Reason::UnknownSwitch, "/X", true), true),
            "Refused: The uninstaller does not understand \"/X\" on its command line. It takes /S "
            "(no window), /LOG=<file> (a log of the run) and the path of the product's protocol "
            "file (UnInstall.log). Nothing was removed.");
  for (const Reason reason : {Reason::UnknownSwitch, Reason::LogNotWritable})
    for (const bool english : {true, false})
      EXPECT_NE(RejectionText(reason, "/X", english).find("\"/X\""), std::string::npos);
  EXPECT_EQ(EndLine(2, 3725, true), "Exit code 2, total time 1:02:05.");
  EXPECT_EQ(EndLine(0, 9, false), "Exitcode 0, Gesamtdauer 0:00:09.");
}

}  // namespace
}  // namespace pelmora::uninstall
