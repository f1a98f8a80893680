#include "winsupport/ErrorReport_win.h"

#include <gtest/gtest.h>

#include <regex>

#include "TestFiles.h"
#include "TestPaths.h"

namespace pelmora::winsupport {
namespace {

// Unattended, no box is shown (the test would hang on one): each box is one
// log line with its caption and its text's line breaks as blanks, and the
// answer is the one nobody's choice gives: OK, or Cancel where offered.
TEST(ErrorReport, UnattendedBoxesAreLogLinesWithTheirDefaultAnswer) {
  const test::ScratchDir dir("error-report");
  const std::string path = dir.Str() + "\\run.log";
  auto opened = RunLog::Open(path);
  ASSERT_TRUE(std::holds_alternative<RunLog>(opened));
  const RunLog log = std::get<RunLog>(std::move(opened));
  ReportTo(log, true);
  EXPECT_TRUE(ReportsUnattended());
  EXPECT_EQ(
      TellUser(nullptr, "Bitte Datenträger einlegen mit\r\nD:\\DATA.c01", "Achtung!", MB_OKCANCEL),
      IDCANCEL);
  EXPECT_EQ(TellUser(nullptr, "Fehlt!\n\nDATA.c00", "Fehler!!", MB_OK), IDOK);
  ShowErrorReport("E/A-Fehler 5");
  ShowPlainMessage("Notice");
  static const RunLog kNone;
  ReportTo(kNone, false);
  EXPECT_FALSE(ReportsUnattended());
  const std::string stamp = "\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d ";
  const std::regex expected(stamp +
                            "message \"Achtung!\": Bitte Datenträger einlegen mit  "
                            "D:\\\\DATA\\.c01\r\n" +
                            stamp + "message \"Fehler!!\": Fehlt!  DATA\\.c00\r\n" + stamp +
                            "message \"Pelmora\": E/A-Fehler 5\\.\r\n" + stamp +
                            "message \"Pelmora\": Notice\r\n");
  EXPECT_TRUE(std::regex_match(test::ReadText(path), expected)) << test::ReadText(path);
}

}  // namespace
}  // namespace pelmora::winsupport
