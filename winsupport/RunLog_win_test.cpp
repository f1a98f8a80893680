#include "winsupport/RunLog_win.h"

#include <gtest/gtest.h>

#include <regex>

#include "TestFiles.h"

namespace pelmora::winsupport {
namespace {

// Two runs logging into one file: the second appends, each line carries the
// date and time; a log that was not asked for writes nothing; a folder and
// a file with a second name are refused, and the other file stays as it was.
TEST(RunLog, AppendsDatedLinesAndRefusesWhatCouldLeadElsewhere) {
  const test::ScratchDir dir("runlog");
  const std::string path = dir.Str() + "\\setup.log";
  for (const char* text : {"first run", "second run"}) {
    auto opened = RunLog::Open(path);
    ASSERT_TRUE(std::holds_alternative<RunLog>(opened));
    const RunLog& log = std::get<RunLog>(opened);
    EXPECT_TRUE(log.Writes());
    log.Line(text);
  }
  RunLog().Line("nowhere");
  EXPECT_TRUE(std::regex_match(
      test::ReadText(path), std::regex("\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d first run\r\n"
                                       "\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d second run\r\n")))
      << test::ReadText(path);

  const auto folder = RunLog::Open(dir.Str());
  ASSERT_TRUE(std::holds_alternative<common::WinFailure>(folder));
  EXPECT_EQ(std::get<common::WinFailure>(folder).what, dir.Str());

  const std::string other = dir.Str() + "\\system.ini";
  const std::string second = dir.Str() + "\\second-name.log";
  test::WriteText(other, "[boot]\r\n");
  ASSERT_TRUE(::CreateHardLinkA(second.c_str(), other.c_str(), nullptr));
  const auto linked = RunLog::Open(second);
  ASSERT_TRUE(std::holds_alternative<common::WinFailure>(linked));
  EXPECT_EQ(std::get<common::WinFailure>(linked).code, ERROR_CANT_ACCESS_FILE);
  EXPECT_EQ(test::ReadText(other), "[boot]\r\n");
}

}  // namespace
}  // namespace pelmora::winsupport
