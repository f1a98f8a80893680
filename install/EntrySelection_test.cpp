#include "install/EntrySelection.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace pelmora::install {
namespace {

constexpr std::uint32_t DosTime(int year, int month, int day, int hour, int minute) {
  return static_cast<std::uint32_t>((year - 1980) << 25 | month << 21 | day << 16 | hour << 11 |
                                    minute << 5);
}

constexpr std::uint32_t kEntryTime = DosTime(2020, 6, 15, 12, 0);

// What is at the target path, in the terms the caller reports it.
const ExistingFile kNothing{false, 0};
const ExistingFile kFolderOnly{false, 0};  // a folder there is reported as no file
const ExistingFile kOlder{true, static_cast<std::int32_t>(DosTime(2019, 1, 1, 8, 0))};
const ExistingFile kSameTime{true, static_cast<std::int32_t>(kEntryTime)};
const ExistingFile kNewer{true, static_cast<std::int32_t>(DosTime(2020, 6, 15, 12, 1))};
// Year 2044 or later sets the top bit: compared signed, such a file is older.
const ExistingFile kFrom2050{true, static_cast<std::int32_t>(DosTime(2050, 1, 1, 0, 0))};

TEST(EntrySelection, ListPassByModeAndExistingFile) {
  struct Row {
    pages::InstallMode mode;
    const ExistingFile& existing;
    bool deleteExisting;
    bool select;
  };
  const Row rows[] = {
      // Delete-and-add: every entry selected, any existing file deleted first.
      {1, kNothing, false, true},
      {1, kNewer, true, true},
      {1, kSameTime, true, true},
      {2, kOlder, true, true},
      {2, kFolderOnly, false, true},
      {3, kNewer, true, true},
      {5, kNewer, true, true},
      {5, kNothing, false, true},
      // Compare times: only an older file is replaced; otherwise it stays.
      {0, kNothing, false, true},
      {0, kFolderOnly, false, true},
      {0, kOlder, true, true},
      {0, kSameTime, false, false},
      {0, kNewer, false, false},
      {0, kFrom2050, true, true},
      {4, kOlder, true, true},
      {4, kSameTime, false, false},
      {4, kNothing, false, true},
      {6, kNewer, false, false},
      {6, kOlder, true, true},
      {6, kNothing, false, true},
      // Any other mode touches nothing.
      {7, kNothing, false, false},
      {7, kOlder, false, false},
      {255, kNewer, false, false},
  };
  for (const Row& r : rows) {
    const ListingDecision d = DecideListing(r.mode, kEntryTime, r.existing);
    EXPECT_EQ(d.deleteExisting, r.deleteExisting)
        << "mode " << int(r.mode) << " exists " << r.existing.exists << " time "
        << r.existing.dosTime;
    EXPECT_EQ(d.select, r.select) << "mode " << int(r.mode) << " exists " << r.existing.exists
                                  << " time " << r.existing.dosTime;
  }
  // An entry time from 2044 on is itself negative, so nothing on disk before it is older.
  EXPECT_FALSE(DecideListing(0, DosTime(2044, 1, 1, 0, 0), kOlder).select);
}

TEST(EntrySelection, ExtractPassDeletesFilesOnlyInTheCompleteModes) {
  for (int mode = 0; mode <= 7; ++mode) {
    const bool complete = mode == 1 || mode == 3 || mode == 5;
    const auto m = static_cast<pages::InstallMode>(mode);
    EXPECT_EQ(DeleteBeforeExtracting(m, "bin\\tool.exe", true), complete) << mode;
    EXPECT_FALSE(DeleteBeforeExtracting(m, "bin\\tool.exe", false)) << mode;
    // A name without "." counts as a folder and is never deleted.
    EXPECT_FALSE(DeleteBeforeExtracting(m, "LICENSE", true)) << mode;
  }
  EXPECT_TRUE(DeleteBeforeExtracting(5, "v1.0\\data", true));
}

}  // namespace
}  // namespace pelmora::install
