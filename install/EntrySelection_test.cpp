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

using M = contract::InstallMode;
// A byte no page ever sets.
constexpr M Other(int value) { return static_cast<M>(value); }

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
    contract::InstallMode mode;
    const ExistingFile& existing;
    bool deleteExisting;
    bool select;
  };
  const Row rows[] = {
      // Delete-and-add: every entry selected, any existing file deleted first.
      {M::CompleteUpdate, kNothing, false, true},
      {M::CompleteUpdate, kNewer, true, true},
      {M::CompleteUpdate, kSameTime, true, true},
      {M::Downgrade, kOlder, true, true},
      {M::Downgrade, kFolderOnly, false, true},
      {M::CompleteDowngrade, kNewer, true, true},
      {M::CompleteRepair, kNewer, true, true},
      {M::CompleteRepair, kNothing, false, true},
      // Compare times: only an older file is replaced; otherwise it stays.
      {M::Update, kNothing, false, true},
      {M::Update, kFolderOnly, false, true},
      {M::Update, kOlder, true, true},
      {M::Update, kSameTime, false, false},
      {M::Update, kNewer, false, false},
      {M::Update, kFrom2050, true, true},
      {M::Repair, kOlder, true, true},
      {M::Repair, kSameTime, false, false},
      {M::Repair, kNothing, false, true},
      {M::AwaitingChoice, kNewer, false, false},
      {M::AwaitingChoice, kOlder, true, true},
      {M::AwaitingChoice, kNothing, false, true},
      // Any other mode touches nothing.
      {Other(7), kNothing, false, false},
      {Other(7), kOlder, false, false},
      {Other(255), kNewer, false, false},
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
  EXPECT_FALSE(DecideListing(M::Update, DosTime(2044, 1, 1, 0, 0), kOlder).select);
}

TEST(EntrySelection, ExtractPassDeletesFilesOnlyInTheCompleteModes) {
  for (const M mode : {M::CompleteUpdate, M::CompleteDowngrade, M::CompleteRepair}) {
    EXPECT_TRUE(DeleteBeforeExtracting(mode, "bin\\tool.exe", true)) << int(mode);
    EXPECT_TRUE(DeleteBeforeExtracting(mode, "v1.0\\data", true)) << int(mode);
    EXPECT_FALSE(DeleteBeforeExtracting(mode, "bin\\tool.exe", false)) << int(mode);
    // A name without "." counts as a folder and is never deleted.
    EXPECT_FALSE(DeleteBeforeExtracting(mode, "LICENSE", true)) << int(mode);
  }
  // The downgrade's "Abort" never gets here; were it to, it deletes nothing.
  for (const M mode : {M::Update, M::Downgrade, M::Repair, M::AwaitingChoice, Other(7)})
    EXPECT_FALSE(DeleteBeforeExtracting(mode, "bin\\tool.exe", true)) << int(mode);
}

}  // namespace
}  // namespace pelmora::install
