#include "setupdesc/PlainDescription.h"

#include <gtest/gtest.h>

#include "setupdesc/Scramble.h"
#include "setupdesc/SetupDescReader.h"

namespace pelmora::setupdesc {
namespace {

const std::string kPlain =
    "1.0.0.1\r\nDemo\r\n1.0.0.0\r\nDemoKey\r\nC:\\Demo\r\n.exe\r\n"
    "<beginicons>\r\n<endicons>\r\n<beginsupportinfos>\r\nPub\r\n\r\n\r\n\r\n\r\n\r\n\r\n"
    "Kommentar äöü\r\nclosing line, stored as is\r\n<beginConfigFiles>\r\na.ini\r\n"
    "<endConfigFiles>\r\n";

TEST(PlainDescription, EncodeScramblesAllButTheClosingLineAndDecodeRestores) {
  const std::string pmd = EncodeDescription(kPlain);
  const auto lines = SplitLines(pmd);
  ASSERT_EQ(lines.size(), 21u);
  EXPECT_EQ(lines[0], Scramble("1.0.0.1", kDescriptionSeed));
  EXPECT_EQ(lines[17], "closing line, stored as is");
  EXPECT_EQ(lines[16], Scramble("Kommentar äöü", kDescriptionSeed));
  EXPECT_EQ(DecodeDescription(pmd), kPlain);

  SetupDescription d;
  d.SetupVersion = "1.0.0.1";
  ASSERT_EQ(ReadSetupDescription(pmd, d).outcome, ReadOutcome::Read);
  EXPECT_EQ(d.SupportInfo[Comments], "Kommentar äöü");
  EXPECT_EQ(d.ConfigFiles->front(), "a.ini");
}

TEST(PlainDescription, AcceptsLfAndWritesCrLf) {
  std::string lf = kPlain;
  for (std::size_t p; (p = lf.find("\r\n")) != std::string::npos;) lf.erase(p, 1);
  EXPECT_EQ(EncodeDescription(lf), EncodeDescription(kPlain));
}

TEST(PlainDescription, RefusesWhatTheReaderWouldNotRead) {
  EXPECT_THROW(EncodeDescription("1.0.0.1\r\nonly two lines\r\n"), DescriptionFormatError);
  EXPECT_THROW(EncodeDescription("1\r\n2\r\n3\r\n4\r\nC:\\5\r\n6\r\n<begininfos>\r\nx\r\n"),
               DescriptionFormatError);
  EXPECT_THROW(DecodeDescription(""), DescriptionFormatError);
}

TEST(PlainDescription, RefusesAControlCharacterThatWouldBecomeALineBreak) {
  // The first offset of the description seed is 3: BEL (7) would be stored as LF.
  std::string plain = kPlain;
  plain.replace(plain.find("Demo\r\n"), 4, "\aemo");
  try {
    EncodeDescription(plain);
    FAIL() << "accepted a line that cannot be stored";
  } catch (const DescriptionFormatError& e) {
    EXPECT_NE(std::string(e.what()).find("line 2 holds a control character"), std::string::npos)
        << e.what();
  }
}

}  // namespace
}  // namespace pelmora::setupdesc
