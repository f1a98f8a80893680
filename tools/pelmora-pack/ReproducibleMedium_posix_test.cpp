// SOURCE_DATE_EPOCH dates the medium (set here through the environment,
// which only the POSIX tests change).
#include <chrono>
#include <cstdlib>

#include "acewriter/FileStamp.h"
#include "acewriter/HeaderScan_testutil.h"
#include "tools/pelmora-pack/Medium_testutil.h"

namespace pelmora::pack {
namespace {

namespace fs = std::filesystem;

TEST_F(Medium, SourceDateEpochDatesTheArchiveAndNoMemberIsLater) {
  using namespace std::chrono;
  const sys_seconds newest = sys_days(year(2015) / January / 15) + hours(10) + minutes(31);
  const sys_seconds older = sys_days(year(2010) / March / 3);
  DatePayload(file_clock::from_sys(older), file_clock::from_sys(newest));
  const std::int64_t epoch = system_clock::to_time_t(sys_days(year(2012) / June / 1));

  ::setenv("SOURCE_DATE_EPOCH", std::to_string(epoch).c_str(), 1);
  const PackRun dated = Build();
  ASSERT_EQ(dated.code, 0) << dated.err;
  const acewriter::testutil::ScannedVolume volume =
      acewriter::testutil::ScanVolume(Out() / "DATA.c00");
  EXPECT_EQ(volume.creationTime, acewriter::LocalDosTime(epoch));
  std::size_t clamped = 0, kept = 0;
  for (const acewriter::testutil::ScannedFile& member : volume.files) {
    EXPECT_LE(member.dosTime, acewriter::LocalDosTime(epoch)) << member.name;
    clamped += member.name == "bin\\demo.exe" && member.dosTime == acewriter::LocalDosTime(epoch);
    kept += member.name == "bin\\demo.ico" &&
            member.dosTime == acewriter::LocalDosTime(system_clock::to_time_t(older));
  }
  EXPECT_EQ(clamped, 1u);
  EXPECT_EQ(kept, 1u);

  // Two fresh copies of the payload, whose files were all written after
  // SOURCE_DATE_EPOCH, but at different times, give the same medium.
  fs::remove_all(Out());
  DatePayload(file_clock::now(), file_clock::now());
  ASSERT_EQ(Build().code, 0);
  const std::map<std::string, std::string> first = FolderContent(Out());
  fs::remove_all(Out());
  DatePayload(file_clock::now() + hours(1), file_clock::now() + hours(2));
  const PackRun again = Build();
  ::setenv("SOURCE_DATE_EPOCH", "2012-06-01", 1);
  const PackRun refused = Build();
  ::unsetenv("SOURCE_DATE_EPOCH");
  ASSERT_EQ(again.code, 0) << again.err;
  EXPECT_TRUE(FolderContent(Out()) == first) << "the two media differ";
  EXPECT_EQ(refused.code, 1);
  EXPECT_NE(refused.err.find("SOURCE_DATE_EPOCH must be seconds since 1970, not \"2012-06-01\""),
            std::string::npos)
      << refused.err;
}

}  // namespace
}  // namespace pelmora::pack
