// The list walk against the scripted library: events, codes, loading,
// stopping, callbacks and the clean-up on every way out.
#include <utility>
#include <vector>

#include "archive/FakeLibrary_testutil.h"
#include "unace/fs/PathSeparator.h"

namespace pelmora::archive::test {
namespace {

using ListWalk = FakeLibraryTest;

TEST_F(ListWalk, ReportsEveryEntryInArchiveOrderAndEndsWith128) {
  WriteScript("entry a.txt\nentry sub\\b.dat\n");
  EXPECT_EQ(ace.List(), ACE_END_OF_ARCHIVE);
  EXPECT_EQ(events, (Lines{"listing a.txt", "list a.txt ok", "listing sub\\b.dat",
                           "list sub\\b.dat ok", "error 128"}));
  EXPECT_EQ(LibraryLog().front(), "open mode=0 volproc=1 dataproc=1 -> 0");
  EXPECT_EQ(LogCount("process 0 (null) -> 0"), 2);
  EXPECT_TRUE(Extracted().empty());
  ExpectLibraryReleased();
}

TEST_F(ListWalk, ArchiveWithoutEntriesReportsOnly128) {
  WriteScript("");
  EXPECT_EQ(ace.List(), ACE_END_OF_ARCHIVE);
  EXPECT_EQ(events, (Lines{"error 128"}));
}

TEST_F(ListWalk, HandsTheComponentsOwnHeaderRecordToTheEvents) {
  WriteScript("entry a.txt flags=0x4001 time=0x5A2B1C3D\nentry b.txt\n");
  std::vector<const TACEHeaderData*> records;
  ace.OnListing = [&](TdAce&, TACEHeaderData& eFile) {
    records.push_back(&eFile);
    if (records.size() == 1) {
      EXPECT_EQ(eFile.Flags, 0x4001u);
      EXPECT_EQ(eFile.FileTime, 0x5A2B1C3Du);
    }
  };
  ace.List();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0], records[1]);
}

TEST_F(ListWalk, RegistersOnlyTheCallbacksWhoseEventsAreAssigned) {
  WriteScript("entry a.txt steps=data:10,vol:DATA.c01:1\n");
  ace.OnProcessData = nullptr;
  ace.OnVolumeChange = nullptr;
  EXPECT_EQ(ace.List(), ACE_END_OF_ARCHIVE);
  const Lines log = LibraryLog();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log[0], "open mode=0 volproc=0 dataproc=0 -> 0");
}

TEST_F(ListWalk, FailedEntryEndsTheWalkWithTheLibrarysCode) {
  WriteScript("entry a.txt\nentry b.txt result=130\nentry c.txt\n");
  EXPECT_EQ(ace.List(), ACE_ERR_HEADER);
  EXPECT_EQ(events, (Lines{"listing a.txt", "list a.txt ok", "listing b.txt", "list b.txt failed",
                           "error 130"}));
  EXPECT_EQ(LogCount("header -> 0 c.txt"), 0);
  ExpectLibraryReleased();
}

// ---- loading the library ------------------------------------------------

TEST_F(ListWalk, MissingLibraryReportsMinus101) {
  ace.Path2UnAceDll = (scratch.Path() / "nowhere").string();
  WriteScript("entry a.txt\n");
  EXPECT_EQ(ace.List(), -101);
  EXPECT_EQ(ace.Extract(), -101);
  EXPECT_EQ(events, (Lines{"error -101", "error -101"}));
  EXPECT_NE(ace.LibraryLoadError().find(kUnAceLibraryName), std::string::npos)
      << ace.LibraryLoadError();
  EXPECT_TRUE(LibraryLog().empty());
}

TEST_F(ListWalk, LibraryLackingAnExportReportsMinus101) {
  const std::string partial = (scratch.Path() / "partial").string();
  InstallLibrary(FakeLibraryWithoutSetPasswordFile(), partial);
  ace.Path2UnAceDll = partial;
  WriteScript("entry a.txt\n");
  EXPECT_EQ(ace.List(), -101);
  EXPECT_EQ(events, (Lines{"error -101"}));
  EXPECT_NE(ace.LibraryLoadError().find("ACESetPassword"), std::string::npos)
      << ace.LibraryLoadError();
  EXPECT_TRUE(LibraryLog().empty());
}

TEST_F(ListWalk, FolderWithTrailingSeparatorFindsTheLibrary) {
  WriteScript("");
  ace.Path2UnAceDll = libraryDir + unace::fs::kPathSeparator;
  EXPECT_EQ(ace.List(), ACE_END_OF_ARCHIVE);
  EXPECT_EQ(events, (Lines{"error 128"}));
}

TEST_F(ListWalk, RelativeFolderIsRefusedEvenWhereItWouldFindTheLibrary) {
  WriteScript("");
  // From the scratch folder, "lib" and "." (inside it) would both name the
  // library; "" would name it as a bare file name.
  const std::filesystem::path previous = std::filesystem::current_path();
  std::vector<int> results;
  std::vector<std::string> errors;
  for (const auto& [workingDir, folder] :
       {std::pair{libraryDir, std::string(".")}, std::pair{libraryDir, std::string()},
        std::pair{scratch.Path().string(), std::string("lib")},
        std::pair{scratch.Path().string(),
                  "." + std::string(1, unace::fs::kPathSeparator) + "lib"}}) {
    std::filesystem::current_path(workingDir);
    ace.Path2UnAceDll = folder;
    results.push_back(ace.List());
    errors.push_back(ace.LibraryLoadError());
  }
  std::filesystem::current_path(previous);

  EXPECT_EQ(results, (std::vector<int>{-101, -101, -101, -101}));
  EXPECT_EQ(events, (Lines{"error -101", "error -101", "error -101", "error -101"}));
  for (const std::string& error : errors)
    EXPECT_NE(error.find("is not a full path"), std::string::npos) << error;
  EXPECT_TRUE(LibraryLog().empty()) << "the library was loaded";
}

TEST(UnAceLibraryPath, JoinsFolderAndFileNameWithOneSeparator) {
  const std::string sep(1, unace::fs::kPathSeparator);
  EXPECT_EQ(UnAceLibraryPath("."), "." + sep + kUnAceLibraryName);
  EXPECT_EQ(UnAceLibraryPath("setup"), "setup" + sep + kUnAceLibraryName);
  EXPECT_EQ(UnAceLibraryPath("setup" + sep), "setup" + sep + kUnAceLibraryName);
}

// ---- opening the archive ------------------------------------------------

TEST_F(ListWalk, ListReturnsTheLibrarysOpenResult) {
  WriteScript("open 132\nentry a.txt\n");
  EXPECT_EQ(ace.List(), ACE_ERR_FORMAT);
  EXPECT_EQ(events, (Lines{"error 132"}));
  EXPECT_EQ(LogCount("header -> 0 a.txt"), 0);
  ExpectLibraryReleased();
}

TEST_F(ListWalk, ExtractTurnsAFailedOpenInto101) {
  WriteScript("open 132\nentry a.txt\n");
  EXPECT_EQ(ace.Extract(), 101);
  EXPECT_EQ(events, (Lines{"error 101"}));
  EXPECT_EQ(LibraryLog().front(), "open mode=1 volproc=1 dataproc=1 -> 132");
  EXPECT_EQ(LogCount("header -> 0 a.txt"), 0);
  ExpectLibraryReleased();
}

TEST_F(ListWalk, MissingArchiveFileIsAFailedOpen) {
  ace.Archivefilename = (scratch.Path() / "missing.c00").string();
  EXPECT_EQ(ace.List(), ACE_ERR_OPEN);
  EXPECT_EQ(ace.Extract(), 101);
  EXPECT_EQ(events, (Lines{"error 129", "error 101"}));
}

// ---- header errors ------------------------------------------------------

TEST_F(ListWalk, HeaderErrorIsReportedAsIsAndReturnedAs101) {
  WriteScript("entry a.txt\nheader-error 130\nentry b.txt\n");
  EXPECT_EQ(ace.List(), 101);
  EXPECT_EQ(events, (Lines{"listing a.txt", "list a.txt ok", "error 130"}));
  ExpectLibraryReleased();
}

TEST_F(ListWalk, HeaderCode110IsReturnedUnchanged) {
  WriteScript("header-error 110\n");
  EXPECT_EQ(ace.List(), ACE_ERR_ABORTED);
  EXPECT_EQ(events, (Lines{"error 110"}));
}

// ---- stop requests ------------------------------------------------------

TEST_F(ListWalk, StopAlreadySetEndsAfterTheFirstHeaderReadWithoutError) {
  WriteScript("entry a.txt\nentry b.txt\n");
  ace.Stop = true;
  EXPECT_EQ(ace.List(), ACE_ERR_ABORTED);
  EXPECT_FALSE(ace.Stop);
  EXPECT_TRUE(events.empty());
  EXPECT_EQ(LogCount("header -> 0 b.txt"), 0);
  EXPECT_EQ(LogCount("process 0 (null) -> 0"), 0);
  ExpectLibraryReleased();
}

TEST_F(ListWalk, StopFromProgressAbortsTheEntryAndStaysSet) {
  WriteScript("entry a.txt steps=data:100,data:100\nentry b.txt\n");
  ace.OnProcessData = [&](TdAce& sender, unsigned char*, int, int) {
    sender.Stop = true;
    events.push_back("data");
    return 1;
  };
  EXPECT_EQ(ace.List(), ACE_ERR_ABORTED);
  EXPECT_TRUE(ace.Stop);
  EXPECT_EQ(events, (Lines{"listing a.txt", "data", "list a.txt failed", "error 110"}));
  EXPECT_EQ(LogCount("data 100 -> 0"), 1) << "the library is asked to abort the entry";
  ExpectLibraryReleased();
}

TEST_F(ListWalk, StopAfterASuccessfulEntryIsSeenAtTheNextHeaderRead) {
  WriteScript("entry a.txt\nentry b.txt\n");
  ace.OnList = [&](TdAce& sender, TACEHeaderData&, bool) { sender.Stop = true; };
  EXPECT_EQ(ace.List(), ACE_ERR_ABORTED);
  EXPECT_FALSE(ace.Stop);
  EXPECT_EQ(events, (Lines{"listing a.txt"}));
}

// ---- callbacks ----------------------------------------------------------

TEST_F(ListWalk, ProgressCarriesTheRunningPositionOfTheCurrentEntry) {
  WriteScript("entry a.txt steps=data:100,data:50\nentry b.txt steps=data:7\n");
  EXPECT_EQ(ace.List(), ACE_END_OF_ARCHIVE);
  EXPECT_EQ(events, (Lines{"listing a.txt", "data 100 100", "data 50 150", "list a.txt ok",
                           "listing b.txt", "data 7 7", "list b.txt ok", "error 128"}));
  // The handler's own answer (0) is not passed on: without Stop the answer is 1.
  EXPECT_EQ(LogCount("data 100 -> 1"), 1);
  EXPECT_EQ(LogCount("data 7 -> 1"), 1);
}

TEST_F(ListWalk, VolumeChangePassesTheHandlersAnswerThrough) {
  WriteScript(
      "entry a.txt steps=vol:DATA.c01:0,vol:DATA.c01:1\nentry b.txt steps=vol:DATA.c02:0\n");
  volumeAnswer = 0;
  ace.OnList = [&](TdAce&, TACEHeaderData&, bool) { volumeAnswer = 7; };
  EXPECT_EQ(ace.List(), ACE_ERR_VOLUME);
  EXPECT_EQ(events, (Lines{"listing a.txt", "volume DATA.c01 0", "volume DATA.c01 1",
                           "listing b.txt", "volume DATA.c02 0", "error 134"}));
  EXPECT_EQ(LogCount("volume DATA.c01 0 -> 0"), 1);
  EXPECT_EQ(LogCount("volume DATA.c02 0 -> 7"), 1);
}

TEST_F(ListWalk, PasswordRequestOnlyForFlaggedEntriesAndOnlyWhenHandled) {
  WriteScript("entry a.txt\nentry b.txt flags=0x4000\n");
  passwordAnswers = {"secret"};
  EXPECT_EQ(ace.List(), ACE_END_OF_ARCHIVE);
  EXPECT_EQ(events, (Lines{"listing a.txt", "list a.txt ok", "listing b.txt",
                           "password b.txt in=", "list b.txt ok", "error 128"}));
  EXPECT_EQ(LogCount("password secret"), 1);

  ace.OnReqPassword = nullptr;
  events.clear();
  ClearLibraryLog();
  EXPECT_EQ(ace.List(), ACE_END_OF_ARCHIVE);
  for (const std::string& line : LibraryLog()) EXPECT_NE(line.rfind("password", 0), 0u) << line;
}

// ---- one operation at a time -------------------------------------------

TEST_F(ListWalk, SecondOperationFromInsideAHandlerIsRefused) {
  WriteScript("entry a.txt\n");
  int inner = 0;
  ace.OnListing = [&](TdAce& sender, TACEHeaderData&) { inner = sender.List(); };
  EXPECT_EQ(ace.List(), ACE_END_OF_ARCHIVE);
  EXPECT_EQ(inner, kAceOperationRunning);
  ExpectLibraryReleased();
  ace.OnListing = nullptr;
  EXPECT_EQ(ace.List(), ACE_END_OF_ARCHIVE);
}

}  // namespace
}  // namespace pelmora::archive::test
