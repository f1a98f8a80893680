#include "winsupport/RunLog_win.h"

#include <gtest/gtest.h>

#include <regex>

#include "TestFiles.h"
#include "TestPaths.h"

namespace pelmora::winsupport {
namespace {

// A second run appends to the first one's lines, each dated; a log that
// was not asked for writes nothing; a folder or a file with a second name
// is refused, so that the lines never land in another file.
TEST(RunLog, AppendsDatedLinesAndRefusesWhatIsNotItsOwnFile) {
  const test::ScratchDir dir("run-log");
  const std::string path = dir.Str() + "\\setup.log";
  test::WriteText(path, "earlier\r\n");
  for (const char* text : {"first", "second"}) {
    auto log = RunLog::Open(path);
    ASSERT_TRUE(std::holds_alternative<RunLog>(log));
    EXPECT_TRUE(std::get<RunLog>(log).Writes());
    std::get<RunLog>(log).Line(text);
  }
  RunLog().Line("nowhere");
  EXPECT_FALSE(RunLog().Writes());
  const std::regex expected(
      "earlier\r\n\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d first\r\n"
      "\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d second\r\n");
  EXPECT_TRUE(std::regex_match(test::ReadText(path), expected)) << test::ReadText(path);

  // Windows itself opens no folder for appending without backup semantics.
  const auto folder = RunLog::Open(dir.Str());
  ASSERT_TRUE(std::holds_alternative<common::WinFailure>(folder));
  EXPECT_EQ(std::get<common::WinFailure>(folder).code, ERROR_ACCESS_DENIED);

  const std::string second = dir.Str() + "\\second-name.log";
  ASSERT_TRUE(CreateHardLinkA(second.c_str(), path.c_str(), nullptr)) << GetLastError();
  const auto linked = RunLog::Open(second);
  ASSERT_TRUE(std::holds_alternative<common::WinFailure>(linked));
  EXPECT_EQ(std::get<common::WinFailure>(linked).code, ERROR_CANT_ACCESS_FILE);
}

}  // namespace
}  // namespace pelmora::winsupport
