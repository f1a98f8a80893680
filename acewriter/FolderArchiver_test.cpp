#include "acewriter/FolderArchiver.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <fstream>

#include "TestPaths.h"
#include "acewriter/BuildTime.h"
#include "acewriter/HeaderScan_testutil.h"
#include "unace/format/DosTime.h"
#include "TestFiles.h"

namespace pelmora::acewriter {
namespace {

using pelmora::test::WriteText;
namespace fs = std::filesystem;
using testutil::ScanVolume;

class FolderArchiverTest : public ::testing::Test {
 protected:
  FolderArchiverTest() {
    tree_ = dir_.Path() / "tree";
    fs::create_directories(tree_ / "b-folder" / "inner");
    fs::create_directories(tree_ / "empty");
    WriteText(tree_ / "z.txt", "last");
    WriteText(tree_ / "a.txt", "first");
    WriteText(tree_ / "b-folder" / "inner" / "deep.bin", std::string(5000, 'd'));
    WriteText(tree_ / fs::path(u8"b-folder/Gr\u00FC\u00DFe \u20AC.txt"), "umlaut");
  }
  std::string Archive() const { return (dir_.Path() / "out.ace").string(); }

  pelmora::test::ScratchDir dir_{"folderarchiver"};
  fs::path tree_;
};

TEST_F(FolderArchiverTest, ArchivesTheTreeInAFixedOrderWithFoldersFirst) {
  ArchiveWriter writer(Archive(), ArchiveOptions{});
  const auto report = ArchiveFolder(tree_, writer);
  writer.Finish();
  EXPECT_EQ(report.files, 4u);
  EXPECT_EQ(report.folders, 3u);
  EXPECT_EQ(report.bytes, 5u + 4u + 5000u + 6u);

  const auto volume = ScanVolume(Archive());
  std::vector<std::string> names;
  for (const auto& f : volume.files) names.push_back(f.name);
  const std::vector<std::string> expected = {"a.txt",
                                             "b-folder",
                                             "b-folder\\Gr\374\337e \200.txt",
                                             "b-folder\\inner",
                                             "b-folder\\inner\\deep.bin",
                                             "empty",
                                             "z.txt"};
  EXPECT_EQ(names, expected);
  EXPECT_EQ(volume.files[1].attributes & format::kAttributeDirectory, format::kAttributeDirectory);
  EXPECT_EQ(volume.files[0].attributes & format::kAttributeDirectory, 0u);
}

// Grouped by type: the folders first, then the files by extension (case
// folded, a folder's dot not counted), each group in the walk's order.
TEST_F(FolderArchiverTest, GroupedByTypeTheFoldersComeFirstThenTheFilesByExtension) {
  WriteText(tree_ / "c.BIN", "upper");
  WriteText(tree_ / "noext", "none");
  fs::create_directories(tree_ / "v1.5");
  WriteText(tree_ / "v1.5" / "readme", "dotted folder");
  ArchiveWriter writer(Archive(), ArchiveOptions{});
  const auto report = ArchiveFolder(tree_, writer, {}, {}, MemberOrder::ByType);
  writer.Finish();
  EXPECT_EQ(report.files, 7u);
  EXPECT_EQ(report.folders, 4u);
  EXPECT_EQ(report.bytes, 5u + 4u + 5000u + 6u + 5u + 4u + 13u);

  std::vector<std::string> names;
  for (const auto& f : ScanVolume(Archive()).files) names.push_back(f.name);
  const std::vector<std::string> expected = {"b-folder",
                                             "b-folder\\inner",
                                             "empty",
                                             "v1.5",
                                             "noext",
                                             "v1.5\\readme",
                                             "b-folder\\inner\\deep.bin",
                                             "c.BIN",
                                             "a.txt",
                                             "b-folder\\Gr\374\337e \200.txt",
                                             "z.txt"};
  EXPECT_EQ(names, expected);
}

TEST_F(FolderArchiverTest, RecordsTimesAndTheReadOnlyAttribute) {
  const fs::path locked = tree_ / "a.txt";
  fs::permissions(locked, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  const FileStamp expected = ReadFileStamp(locked);
  ArchiveWriter writer(Archive(), ArchiveOptions{});
  ArchiveFolder(tree_, writer);
  writer.Finish();
  fs::permissions(locked, fs::perms::owner_write, fs::perm_options::add);

  const auto volume = ScanVolume(Archive());
  ASSERT_FALSE(volume.files.empty());
  EXPECT_EQ(volume.files[0].name, "a.txt");
  EXPECT_EQ(volume.files[0].attributes & format::kAttributeReadOnly, format::kAttributeReadOnly);
  EXPECT_EQ(volume.files[0].dosTime, expected.dosTime);
  // The file was written moments ago: its DOS time is today's.
  EXPECT_EQ(expected.dosTime >> 16, CurrentDosDateTime() >> 16);
}

TEST_F(FolderArchiverTest, FileTimesAreLocalDosTimes) {
  using namespace std::chrono;
  // 2015-01-15 10:31:17 UTC; what the C library calls local time for that
  // moment is what the archive must record (with the seconds rounded down).
  const sys_seconds moment =
      sys_days(year(2015) / January / 15) + hours(10) + minutes(31) + seconds(17);
  fs::last_write_time(tree_ / "z.txt", file_clock::from_sys(moment));
  const std::time_t t = system_clock::to_time_t(moment);
  const std::tm local = *std::localtime(&t);
  const std::uint32_t expected =
      unace::format::EncodeDosTime({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                                    local.tm_hour, local.tm_min, local.tm_sec});
  EXPECT_EQ(ReadFileStamp(tree_ / "z.txt").dosTime, expected);
}

// The archive's date comes from its files (or SOURCE_DATE_EPOCH), never
// from the clock, so the same tree always gives the same bytes.
TEST_F(FolderArchiverTest, DatesTheArchiveByItsNewestFileOrTheSourceDateEpoch) {
  using namespace std::chrono;
  const sys_seconds older = sys_days(year(2010) / March / 3) + hours(8);
  const sys_seconds newest = sys_days(year(2015) / January / 15) + hours(10) + minutes(31);
  for (const fs::path& file :
       {tree_ / "a.txt", tree_ / "z.txt", tree_ / "b-folder" / "inner" / "deep.bin",
        tree_ / fs::path(u8"b-folder/Gr\u00FC\u00DFe \u20AC.txt")})
    fs::last_write_time(file, file_clock::from_sys(file == tree_ / "a.txt" ? newest : older));
  // Data that does not shrink, packed in pieces and encrypted: read a
  // second time to be stored, which must not count twice.
  std::string noise(5000, '\0');
  std::uint32_t x = 12345;
  for (char& c : noise) c = static_cast<char>((x = x * 1103515245u + 12345u) >> 24);
  WriteText(tree_ / "b-folder" / "inner" / "deep.bin", noise);
  fs::last_write_time(tree_ / "b-folder" / "inner" / "deep.bin", file_clock::from_sys(older));

  const FolderSurvey survey = SurveyFolder(tree_);
  EXPECT_EQ(survey.files, 4u);
  EXPECT_EQ(survey.bytes, 5u + 4u + 5000u + 6u);
  ASSERT_TRUE(survey.newestFile.has_value());
  EXPECT_EQ(*survey.newestFile, system_clock::to_time_t(newest));

  ArchiveOptions options;
  options.password = "pw";
  options.largeFileThreshold = 1000;
  DateArchive(options, std::nullopt, survey.newestFile);
  std::uint64_t counted = 0;
  {
    ArchiveWriter writer(Archive(), options);
    writer.OnBytesRead([&counted](std::uint64_t bytes) { counted += bytes; });
    ArchiveFolder(tree_, writer);
    writer.Finish();
  }
  EXPECT_EQ(counted, survey.bytes);
  auto volume = ScanVolume(Archive());
  EXPECT_EQ(volume.creationTime, LocalDosTime(system_clock::to_time_t(newest)));
  ASSERT_EQ(volume.files.size(), 7u);
  EXPECT_EQ(volume.files[0].dosTime, LocalDosTime(system_clock::to_time_t(newest)));  // a.txt

  // SOURCE_DATE_EPOCH between the two: the archive's date, and no later
  // member stamp.
  const std::int64_t epoch = system_clock::to_time_t(sys_days(year(2012) / June / 1) + hours(12));
  options = ArchiveOptions{};
  DateArchive(options, epoch, survey.newestFile);
  {
    ArchiveWriter writer(Archive(), options);
    ArchiveFolder(tree_, writer);
    writer.Finish();
  }
  volume = ScanVolume(Archive());
  EXPECT_EQ(volume.creationTime, LocalDosTime(epoch));
  EXPECT_EQ(volume.files[0].dosTime, LocalDosTime(epoch));  // a.txt, clamped
  EXPECT_EQ(volume.files[6].dosTime, LocalDosTime(system_clock::to_time_t(older)));  // z.txt

  EXPECT_EQ(BuildTime(std::nullopt, std::nullopt), kEarliestDosTime);
  EXPECT_EQ(ParseSourceDateEpoch("1700000000"), std::optional<std::int64_t>(1700000000));
  for (const char* bad : {"", "-5", "12a", " 12", "1e9"})
    EXPECT_EQ(ParseSourceDateEpoch(bad), std::nullopt) << bad;
}

TEST_F(FolderArchiverTest, ANameOutsideWindows1252IsReportedWithItsPath) {
  WriteText(tree_ / fs::path(u8"\u4E2D.txt"), "x");
  ArchiveWriter writer(Archive(), ArchiveOptions{});
  try {
    ArchiveFolder(tree_, writer);
    FAIL() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find(".txt"), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find("Windows-1252"), std::string::npos) << e.what();
  }
}

}  // namespace
}  // namespace pelmora::acewriter
