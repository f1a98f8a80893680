#include "setupdesc/SetupDescReader.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "setupdesc/Scramble.h"

namespace pelmora::setupdesc {
namespace {

constexpr const char* kVersion = "1.0.0.1";

// Builds install.pmd bytes the way an authoring tool writes them; `raw`
// marks the one line that is stored unscrambled (0-based), if any.
std::string Pmd(const std::vector<std::string>& lines, int raw = -1) {
  std::string out;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    out += static_cast<int>(i) == raw ? lines[i] : Scramble(lines[i], kDescriptionSeed);
    out += "\r\n";
  }
  return out;
}

std::vector<std::string> FixedLines(std::initializer_list<std::string> more = {}) {
  std::vector<std::string> lines = {kVersion,      "Pelmora Demo",        "2.5.0.7",
                                    "PelmoraDemo", "C:\\Programme\\Demo", "demo.exe"};
  lines.insert(lines.end(), more);
  return lines;
}

struct Reader {
  SetupDescription d;
  int libraryWrites = 0;
  ReadResult Read(const std::optional<std::string>& bytes) {
    d.SetupVersion = kVersion;
    ReaderOptions options;
    options.onVersionAccepted = [this] {
      ++libraryWrites;
      return true;
    };
    return ReadSetupDescription(bytes, d, options);
  }
};

TEST(SetupDescReader, MissingFileGivesItsMessageAndFillsNothing) {
  Reader r;
  const ReadResult result = r.Read(std::nullopt);
  EXPECT_EQ(result.outcome, ReadOutcome::Missing);
  EXPECT_EQ(result.message, "Installationseinstellungen fehlerhaft!\n\npmd-Datei nicht gefunden!");
  EXPECT_EQ(result.caption, "Fehler!!");
  EXPECT_TRUE(r.d.ProductName.empty());
  EXPECT_EQ(r.d.OcxLast, -1);
  EXPECT_EQ(r.libraryWrites, 0);
}

TEST(SetupDescReader, VersionMismatchShowsBothVersionsAndStops) {
  Reader r;
  auto lines = FixedLines();
  lines[0] = "0.9.0.0";
  const ReadResult result = r.Read(Pmd(lines));
  EXPECT_EQ(result.outcome, ReadOutcome::VersionMismatch);
  EXPECT_EQ(result.message,
            "Incorrect Version of Install.pmd!!\rNeeded \"1.0.0.1\"\rFound \"0.9.0.0\"");
  EXPECT_TRUE(result.caption.empty());
  EXPECT_TRUE(r.d.ProductName.empty());
  EXPECT_EQ(r.libraryWrites, 0);
}

TEST(SetupDescReader, ReadsEverySection) {
  Reader r;
  auto lines = FixedLines({"<begininfos>",
                           "Willkommen bei Pelmora.",
                           "",
                           "Viel Spaß!",
                           "<endinfos>",
                           "<beginregistry>",
                           "Software\\Pelmora",
                           "",
                           "Software\\Pelmora\\Demo",
                           "<endregistry>",
                           "<beginregisterocx>",
                           "bin\\grid.ocx",
                           "",
                           "<endregisterocx>",
                           "<beginicons>",
                           "Pelmora",
                           "Demo",
                           "demo.exe",
                           "icon",
                           "Pelmora\\Extras",
                           "Hilfe",
                           "hilfe.chm",
                           "hilfe.ico",
                           "<endicons>",
                           "<beginsupportinfos>",
                           "Pelmora GmbH",
                           "http://about",
                           "http://update",
                           "http://help",
                           "+49 30 1234",
                           "support@example.org",
                           "liesmich.txt",
                           "Kommentar",
                           "unread \x01 closing line",
                           "<beginConfigFiles>",
                           "config.ini",
                           "",
                           "daten\\user.dat",
                           "<endConfigFiles>"});
  const std::size_t rawIndex = 39;
  ASSERT_EQ(lines[rawIndex], "unread \x01 closing line");
  const ReadResult result = r.Read(Pmd(lines, static_cast<int>(rawIndex)));
  ASSERT_EQ(result.outcome, ReadOutcome::Read) << result.message;
  EXPECT_EQ(r.libraryWrites, 1);
  EXPECT_EQ(r.d.ProductName, "Pelmora Demo");
  EXPECT_EQ(r.d.ProductVersion, "2.5.0.7");
  EXPECT_EQ(result.titleLabel, "Pelmora Demo 2.5.0.7");
  EXPECT_EQ(r.d.UninstallKeyName, "PelmoraDemo");
  EXPECT_EQ(result.targetDirectory, "C:\\Programme\\Demo\\");
  EXPECT_EQ(r.d.AppExeName, "demo.exe");
  EXPECT_EQ(result.infoLines,
            (std::vector<std::string>{"Willkommen bei Pelmora.", "", "Viel Spaß!"}));
  ASSERT_EQ(r.d.RegistryCount, 2);
  EXPECT_TRUE(r.d.RegistryLines[0].empty());
  EXPECT_EQ(r.d.RegistryLines[1], "Software\\Pelmora");
  EXPECT_EQ(r.d.RegistryLines[2], "Software\\Pelmora\\Demo");
  ASSERT_EQ(r.d.OcxLast, 0);
  EXPECT_EQ(r.d.OcxFiles[0], "bin\\grid.ocx");
  ASSERT_EQ(r.d.IconCount, 2);
  EXPECT_EQ(r.d.IconGroups[1], "Pelmora");
  EXPECT_EQ(r.d.IconFiles[1], "icon");
  EXPECT_EQ(r.d.IconGroups[2], "Pelmora\\Extras");
  EXPECT_EQ(r.d.IconNames[2], "Hilfe");
  EXPECT_EQ(r.d.IconTargets[2], "hilfe.chm");
  EXPECT_EQ(r.d.IconFiles[2], "hilfe.ico");
  EXPECT_EQ(r.d.SupportInfo[Publisher], "Pelmora GmbH");
  EXPECT_EQ(r.d.SupportInfo[Comments], "Kommentar");
  EXPECT_EQ(result.rawLineIndex, rawIndex);
  ASSERT_TRUE(r.d.ConfigFiles.has_value());
  EXPECT_EQ(*r.d.ConfigFiles, (std::vector<std::string>{"config.ini", "", "daten\\user.dat"}));
}

TEST(SetupDescReader, FixedLineRules) {
  {
    Reader r;
    auto lines = FixedLines();
    lines[4] = "D:\\Ziel\\";
    lines[5] = ".exe";
    const ReadResult result = r.Read(Pmd(lines));
    ASSERT_EQ(result.outcome, ReadOutcome::Read);
    EXPECT_EQ(result.targetDirectory, "D:\\Ziel\\");  // not doubled
    EXPECT_TRUE(r.d.AppExeName.empty());
  }
  {
    Reader r;
    auto lines = FixedLines();
    lines[5] = "bin\\app.exe";
    ASSERT_EQ(r.Read(Pmd(lines)).outcome, ReadOutcome::Read);
    EXPECT_EQ(r.d.AppExeName, "bin\\app.exe");
  }
  // Target folders as the target page reads them ("/" is "\"), and a key
  // name with blanks.
  for (const auto& [folder, read] : {std::pair{"C:/Programme/Demo", "C:\\Programme\\Demo\\"},
                                     std::pair{"C:\\Pro gramme\\Demo", "C:\\Pro gramme\\Demo\\"}}) {
    Reader r;
    auto lines = FixedLines();
    lines[3] = "Firma Demo";
    lines[4] = folder;
    const ReadResult result = r.Read(Pmd(lines));
    ASSERT_EQ(result.outcome, ReadOutcome::Read) << folder << ": " << result.message;
    EXPECT_EQ(result.targetDirectory, read);
    EXPECT_EQ(r.d.UninstallKeyName, "Firma Demo");
  }
}

TEST(SetupDescReader, SixLinesOnlyGiveEmptySections) {
  Reader r;
  r.d.ConfigFiles.reset();
  const ReadResult result = r.Read(Pmd(FixedLines()));
  ASSERT_EQ(result.outcome, ReadOutcome::Read);
  EXPECT_EQ(r.d.RegistryCount, 0);
  EXPECT_EQ(r.d.OcxLast, -1);
  EXPECT_EQ(r.d.IconCount, 0);
  EXPECT_FALSE(r.d.ConfigFiles.has_value());
  EXPECT_TRUE(result.infoLines.empty());
}

TEST(SetupDescReader, LfLineEndsAndMissingFinalLineEndAreAccepted) {
  std::string bytes;
  for (const auto& line : FixedLines()) bytes += Scramble(line, kDescriptionSeed) + "\n";
  bytes.pop_back();
  Reader r;
  ASSERT_EQ(r.Read(bytes).outcome, ReadOutcome::Read);
  EXPECT_EQ(r.d.AppExeName, "demo.exe");
}

TEST(SetupDescReader, SectionQuirks) {
  {  // empty-only registry section, empty COM server section
    Reader r;
    ASSERT_EQ(r.Read(Pmd(FixedLines({"<beginregistry>", "", "", "<endregistry>",
                                     "<beginregisterocx>", "<endregisterocx>"})))
                  .outcome,
              ReadOutcome::Read);
    EXPECT_EQ(r.d.RegistryCount, 0);
    EXPECT_EQ(r.d.OcxLast, -1);
  }
  {  // no shortcut section: the support section's first line is read past
    Reader r;
    ASSERT_EQ(r.Read(Pmd(FixedLines({"<beginsupportinfos>", "Publisher", "a", "b", "c", "d", "e",
                                     "f", "g", "x"})))
                  .outcome,
              ReadOutcome::Read);
    EXPECT_TRUE(r.d.SupportInfo[Publisher].empty());
  }
  {  // an icon line reading "<endicons>" ends the section after its entry
    Reader r;
    const ReadResult result =
        r.Read(Pmd(FixedLines({"<beginicons>", "G", "N", "T", "<endicons>", "<beginsupportinfos>",
                               "Pub", "", "", "", "", "", "", "", "raw"}),
                   15));
    ASSERT_EQ(result.outcome, ReadOutcome::Read);
    EXPECT_EQ(r.d.IconCount, 1);
    EXPECT_EQ(r.d.IconFiles[1], "<endicons>");
    EXPECT_EQ(r.d.SupportInfo[Publisher], "Pub");
  }
}

TEST(SetupDescReader, SectionsUpToTheirCapacityAreRead) {
  std::vector<std::string> lines = FixedLines({"<beginregistry>"});
  for (int i = 1; i <= 255; ++i) lines.push_back("Software\\K" + std::to_string(i));
  lines.push_back("<endregistry>");
  lines.push_back("<beginregisterocx>");
  for (int i = 0; i < 256; ++i) lines.push_back("o" + std::to_string(i) + ".ocx");
  lines.push_back("<endregisterocx>");
  Reader r;
  ASSERT_EQ(r.Read(Pmd(lines)).outcome, ReadOutcome::Read);
  EXPECT_EQ(r.d.RegistryCount, 255);
  EXPECT_EQ(r.d.RegistryLines[255], "Software\\K255");
  EXPECT_EQ(r.d.OcxLast, 255);
  EXPECT_EQ(r.d.OcxFiles[255], "o255.ocx");
}

struct DamageCase {
  const char* name;
  std::string bytes;
  const char* expectedDetail;
  bool libraryMayBeWritten;
};

std::vector<std::string> Repeat(std::vector<std::string> lines, const std::string& begin, int count,
                                int perEntry, const std::string& end) {
  lines.push_back(begin);
  for (int i = 0; i < count; ++i)
    for (int j = 0; j < perEntry; ++j) lines.push_back("e" + std::to_string(i));
  if (!end.empty()) lines.push_back(end);
  return lines;
}

TEST(SetupDescReader, DamagedFilesAreRefusedWithAClearMessage) {
  // Fixed lines that would make the setup touch the whole Uninstall key or
  // install into a folder that depends on where it is started.
  auto FixedLineDamage = [](std::size_t index, const std::string& text) {
    auto lines = FixedLines();
    lines[index] = text;
    return Pmd(lines);
  };
  std::string longLine = Pmd(FixedLines()) + std::string(kMaxLineLength + 1, 'x') + "\r\n";
  auto withNul = FixedLines();
  withNul[1] = std::string("Demo\0\x01\x02", 7);
  const std::string binary = Pmd(withNul);
  const std::vector<DamageCase> cases = {
      {"empty file", "", "leer", false},
      {"five lines", Pmd({kVersion, "a", "b", "c", "d"}), "Zeile 6", false},
      {"empty key name", FixedLineDamage(3, ""), "Zeile 4", false},
      {"key name \\", FixedLineDamage(3, "\\"), "Zeile 4", false},
      {"key name of backslashes and blanks", FixedLineDamage(3, " \\\\ "), "Zeile 4", false},
      {"key name nested in another's", FixedLineDamage(3, "A\\B"), "Zeile 4", false},
      {"network folder", FixedLineDamage(4, "\\\\server\\share\\Demo"), "Netzwerkpfad", false},
      {"drive root", FixedLineDamage(4, "C:\\"), "Stammverzeichnis", false},
      {"Windows folder", FixedLineDamage(4, "C:/WINNT/Demo"), "Windows-Ordner", false},
      {"device name", FixedLineDamage(4, "C:\\Demo\\COM\xB9"), "Zeile 5", false},
      {"empty folder", FixedLineDamage(4, ""), "Zeile 5", false},
      {"folder \\", FixedLineDamage(4, "\\"), "Zeile 5", false},
      {"folder below the current drive's root", FixedLineDamage(4, "\\Programme\\Demo"), "Zeile 5",
       false},
      {"relative folder", FixedLineDamage(4, "Programme\\Demo"), "Zeile 5", false},
      {"drive-relative folder", FixedLineDamage(4, "C:Demo"), "Zeile 5", false},
      {"UNC path without share", FixedLineDamage(4, "\\\\server"), "Zeile 5", false},
      {"device path", FixedLineDamage(4, "\\\\?\\C:\\Demo"), "Zeile 5", false},
      {"long line", longLine, "zu lang", false},
      {"binary", binary, "Binärdaten", true},
      // Lines whose bytes unscramble to a line break or another control
      // character: refused before anything is written.
      {"line break in a key",
       Pmd(FixedLines({"<beginregistry>", "Software\\Demo\nr0Software", "<endregistry>"})),
       "enthält ein Steuerzeichen", true},
      {"control character in a name", FixedLineDamage(2, "Demo\x01"),
       "Zeile 3 enthält ein Steuerzeichen", true},
      {"infos open", Pmd(FixedLines({"<begininfos>", "text"})), "<begininfos> ohne <endinfos>",
       true},
      {"registry open", Pmd(FixedLines({"<beginregistry>", "k"})), "<endregistry>", true},
      {"ocx open", Pmd(FixedLines({"<beginregisterocx>"})), "<endregisterocx>", true},
      {"icons open", Pmd(FixedLines({"<beginicons>", "g", "n"})), "<endicons>", true},
      {"config open",
       Pmd(FixedLines({"<beginicons>", "<endicons>", "<beginsupportinfos>", "", "", "", "", "", "",
                       "", "", "raw", "<beginConfigFiles>", "a.ini"}),
           17),
       "<endConfigFiles>", true},
      {"256 registry lines", Pmd(Repeat(FixedLines(), "<beginregistry>", 256, 1, "<endregistry>")),
       "<beginregistry> hat mehr als 255", true},
      {"257 COM servers",
       Pmd(Repeat(FixedLines(), "<beginregisterocx>", 257, 1, "<endregisterocx>")),
       "<beginregisterocx> hat mehr als 256", true},
      {"256 shortcuts", Pmd(Repeat(FixedLines(), "<beginicons>", 256, 4, "<endicons>")),
       "<beginicons> hat mehr als 255", true},
  };
  for (const DamageCase& c : cases) {
    Reader r;
    const ReadResult result = r.Read(c.bytes);
    EXPECT_EQ(result.outcome, ReadOutcome::Damaged) << c.name;
    EXPECT_EQ(result.caption, "Fehler!!") << c.name;
    EXPECT_EQ(
        result.message.rfind("Installationseinstellungen fehlerhaft!\n\npmd-Datei beschädigt: ", 0),
        0u)
        << c.name << ": " << result.message;
    EXPECT_NE(result.message.find(c.expectedDetail), std::string::npos)
        << c.name << ": " << result.message;
    if (!c.libraryMayBeWritten) {
      EXPECT_EQ(r.libraryWrites, 0) << c.name;
    }
  }
}

TEST(SetupDescReader, ALibraryThatCannotBeWrittenEndsTheReading) {
  SetupDescription d;
  d.SetupVersion = kVersion;
  ReaderOptions options;
  options.onVersionAccepted = [] { return false; };
  const ReadResult result = ReadSetupDescription(Pmd(FixedLines()), d, options);
  EXPECT_EQ(result.outcome, ReadOutcome::Stopped);
  EXPECT_TRUE(result.message.empty());
  EXPECT_TRUE(d.ProductName.empty());
}

}  // namespace
}  // namespace pelmora::setupdesc
