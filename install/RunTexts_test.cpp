#include "install/RunTexts.h"

#include <gtest/gtest.h>

#include <string>

namespace pelmora::install {
namespace {

// The texts reach the user as Windows-1252 bytes: umlauts and ß are single
// bytes, and the pieces put together leave no stray blank or missing quote.
TEST(RunTexts, AreWindows1252AndComposeAsShown) {
  EXPECT_STREQ(StatusTextsFor(false).extracting, "Entpacke Dateien...");
  EXPECT_STREQ(StatusTextsFor(false).registration, "Registrierung...");
  EXPECT_STREQ(StatusTextsFor(true).extracting, "Extracting files...");
  EXPECT_STREQ(StatusTextsFor(true).registration, "Registration...");

  EXPECT_EQ(std::string(kDiskPromptText) + "D:\\DATA.c01",
            "Bitte Datentr\xE4ger einlegen mit D:\\DATA.c01");
  EXPECT_STREQ(kWaitingForDiskStatus,
               "Warte auf n\xE4"
               "chste Diskette...");
  EXPECT_EQ(KeyCreationFailedText("Software\\Firma"),
            "Erzeugung von Schl\xFCssel Software\\Firma mi\xDFlungen");
  EXPECT_EQ(ValueWriteFailedText("DisplayName"),
            "Fehler beim Setzen der Daten f\xFCr 'DisplayName'");
  EXPECT_EQ(IoErrorText(112), "E/A-Fehler 112");

  // The line break of the file-exists message is LF then CR, in that order.
  const std::string exists = kFileExistsText;
  EXPECT_NE(exists.find("updated!\n\rWhen"), std::string::npos);
  EXPECT_EQ(ArchiveErrorText(-101), "Error Code -101");
  EXPECT_EQ(ArchiveErrorText(134), "Error Code 134");

  EXPECT_EQ(UnsafeEntryText("..\\evil.dll", false),
            "Der Archiveintrag \"..\\evil.dll\" hat einen unzul\xE4ssigen Namen und wird nicht "
            "entpackt. Die Installation wird abgebrochen.");
  EXPECT_NE(UnsafeEntryText("..\\evil.dll", true).find("\"..\\evil.dll\""), std::string::npos);
}

}  // namespace
}  // namespace pelmora::install
