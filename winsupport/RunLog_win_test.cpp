#include "winsupport/RunLog_win.h"

#include <gtest/gtest.h>

#include <regex>

#include "TestFiles.h"
#include "TestPaths.h"

namespace pelmora::winsupport {
namespace {

std::uint32_t CodeOf(const common::WinResult<RunLog>& opened) {
  const auto* failure = std::get_if<common::WinFailure>(&opened);
  return failure ? failure->code : 0;
}

// A second run appends below the first; each line carries the date and time;
// a log that was not asked for writes nothing; a folder or a file with a
// second name is never written through.
TEST(RunLog, AppendsDatedLinesAndRefusesWhatIsNotItsOwnFile) {
  const test::ScratchDir dir("runlog");
  const std::string path = dir.Str() + "\\lauf.log";
  test::WriteText(path, "earlier\r\n");
  for (const char* text : {"eins", "zwei"}) {
    auto opened = RunLog::Open(path);
    ASSERT_EQ(CodeOf(opened), 0u);
    const RunLog& log = std::get<RunLog>(opened);
    EXPECT_TRUE(log.Writes());
    log.Line(text);
  }
  RunLog().Line("never");
  EXPECT_FALSE(RunLog().Writes());
  const std::regex expected(
      "earlier\r\n"
      "20\\d\\d-[01]\\d-[0-3]\\d [0-2]\\d:[0-5]\\d:[0-5]\\d eins\r\n"
      "20\\d\\d-[01]\\d-[0-3]\\d [0-2]\\d:[0-5]\\d:[0-5]\\d zwei\r\n");
  EXPECT_TRUE(std::regex_match(test::ReadText(path), expected)) << test::ReadText(path);

  // A folder is not opened as a file at all (access denied).
  EXPECT_NE(CodeOf(RunLog::Open(dir.Str())), 0u);
  const std::string second = dir.Str() + "\\zweiter-name.log";
  ASSERT_TRUE(::CreateHardLinkA(second.c_str(), path.c_str(), nullptr));
  EXPECT_EQ(CodeOf(RunLog::Open(second)), static_cast<std::uint32_t>(ERROR_CANT_ACCESS_FILE));
  EXPECT_EQ(CodeOf(RunLog::Open(path)), static_cast<std::uint32_t>(ERROR_CANT_ACCESS_FILE));
}

}  // namespace
}  // namespace pelmora::winsupport
