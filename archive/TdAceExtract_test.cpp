// The extract walk against the scripted library: selection, target paths,
// passwords, entry errors, and the refusal of names that leave the target
// (in both walks).
#include "archive/FakeLibrary_testutil.h"

namespace pelmora::archive::test {
namespace {

using ExtractWalk = FakeLibraryTest;

TEST_F(ExtractWalk, EmptySelectionExtractsEveryEntryBelowTheTarget) {
  WriteScript("entry a.txt\nentry sub\nentry sub\\b.dat\n");
  EXPECT_EQ(ace.Extract(), ACE_END_OF_ARCHIVE);
  EXPECT_EQ(events,
            (Lines{"extracting a.txt", "extract a.txt ok", "extracting sub", "extract sub ok",
                   "extracting sub\\b.dat", "extract sub\\b.dat ok", "error 128"}));
  EXPECT_EQ(LibraryLog().front(), "open mode=1 volproc=1 dataproc=1 -> 0");
  EXPECT_EQ(Extracted(), (Lines{Target("a.txt"), Target("sub"), Target("sub\\b.dat")}));
  ExpectLibraryReleased();
}

TEST_F(ExtractWalk, TargetDirectoryGainsOneTrailingBackslashAtTheFirstEntry) {
  WriteScript("");
  EXPECT_EQ(ace.Extract(), ACE_END_OF_ARCHIVE);
  EXPECT_EQ(ace.TargetDirectory, targetDir) << "no entry reached: left as it was";

  WriteScript("entry a.txt\n");
  EXPECT_EQ(ace.Extract(), ACE_END_OF_ARCHIVE);
  EXPECT_EQ(ace.TargetDirectory, targetDir + "\\");
  EXPECT_EQ(ace.Extract(), ACE_END_OF_ARCHIVE);
  EXPECT_EQ(ace.TargetDirectory, targetDir + "\\");
}

TEST_F(ExtractWalk, EntriesOutsideTheSelectionArePassedOverSilently) {
  WriteScript("entry a.txt flags=0x4000\nentry b.txt flags=0x4000\nentry c.txt\n");
  ace.FilesToProcess().Add("b.txt");
  passwordAnswers = {"pw"};
  EXPECT_EQ(ace.Extract(), ACE_END_OF_ARCHIVE);
  EXPECT_EQ(events, (Lines{"extracting a.txt", "extracting b.txt", "password b.txt in=",
                           "extract b.txt ok", "extracting c.txt", "error 128"}));
  EXPECT_EQ(Extracted(), (Lines{Target("b.txt")}));
  EXPECT_EQ(LogCount("process 0 (null) -> 0"), 2) << "a.txt and c.txt are passed over";
  EXPECT_EQ(LogCount("password pw"), 1);
  ExpectLibraryReleased();
}

TEST_F(ExtractWalk, SelectionIgnoresLetterCase) {
  WriteScript("entry Sub\\Readme.TXT\nentry other.txt\nentry \xC4rger.txt\n");
  ace.SetFilesToProcess(std::vector<std::string>{"SUB\\README.txt", "\xE4RGER.TXT"});
  EXPECT_EQ(ace.Extract(), ACE_END_OF_ARCHIVE);
  EXPECT_EQ(events, (Lines{"extracting Sub\\Readme.TXT", "extract Sub\\Readme.TXT ok",
                           "extracting other.txt", "extracting \xC4rger.txt",
                           "extract \xC4rger.txt ok", "error 128"}));
}

TEST_F(ExtractWalk, SkippedEntryThatFailsEndsTheWalk) {
  WriteScript("entry a.txt result=137\nentry b.txt\n");
  ace.FilesToProcess().Add("b.txt");
  EXPECT_EQ(ace.Extract(), ACE_ERR_DATA);
  EXPECT_EQ(events, (Lines{"extracting a.txt", "error 137"}));
}

TEST_F(ExtractWalk, FailedEntryIsReportedTwiceAndLeavesTheRestUntouched) {
  WriteScript("entry a.txt\nentry b.txt result=11\nentry c.txt\n");
  EXPECT_EQ(ace.Extract(), ACE_ERR_EXISTS);
  EXPECT_EQ(events, (Lines{"extracting a.txt", "extract a.txt ok", "extracting b.txt",
                           "extract b.txt failed", "error 11"}));
  EXPECT_EQ(LogCount("header -> 0 c.txt"), 0);
  EXPECT_EQ(Extracted(), (Lines{Target("a.txt")}));
  ExpectLibraryReleased();
}

TEST_F(ExtractWalk, PasswordVariableIsCarriedAndSetOnlyWhenNotEmpty) {
  WriteScript(
      "entry a.txt flags=0x4000 password=pw\n"
      "entry b.txt flags=0x4000 password=pw\n"
      "entry c.txt flags=0x4000 password=other\n"
      "entry d.txt flags=0x4000 password=other\n");
  // a: typed "pw"; b: the handler clears the text, so the library keeps "pw";
  // c: a new one; d: the handler leaves what c's request left.
  ace.OnReqPassword = [&](TdAce&, TACEHeaderData& eFile, std::string& password) {
    const std::string name = eFile.FileName;
    events.push_back("password " + name + " in=" + password);
    if (name == "a.txt") password = "pw";
    if (name == "b.txt") password.clear();
    if (name == "c.txt") password = "other";
  };
  EXPECT_EQ(ace.Extract(), ACE_END_OF_ARCHIVE);
  EXPECT_EQ(events,
            (Lines{"extracting a.txt", "password a.txt in=", "extract a.txt ok", "extracting b.txt",
                   "password b.txt in=pw", "extract b.txt ok", "extracting c.txt",
                   "password c.txt in=", "extract c.txt ok", "extracting d.txt",
                   "password d.txt in=other", "extract d.txt ok", "error 128"}));
  EXPECT_EQ(LogCount("password pw"), 1);
  EXPECT_EQ(LogCount("password other"), 2);
  EXPECT_EQ(LogCount("password "), 0);
}

TEST_F(ExtractWalk, WrongPasswordIsTheEntrysError) {
  WriteScript("entry a.txt flags=0x4000 password=pw\n");
  passwordAnswers = {"nope"};
  EXPECT_EQ(ace.Extract(), ACE_ERR_PASSWORD);
  EXPECT_EQ(events,
            (Lines{"extracting a.txt", "password a.txt in=", "extract a.txt failed", "error 133"}));
}

TEST_F(ExtractWalk, StopAlreadySetEndsAfterTheFirstHeaderRead) {
  WriteScript("entry a.txt\n");
  ace.Stop = true;
  EXPECT_EQ(ace.Extract(), ACE_ERR_ABORTED);
  EXPECT_FALSE(ace.Stop);
  EXPECT_TRUE(events.empty());
  EXPECT_EQ(ace.TargetDirectory, targetDir);
}

TEST_F(ExtractWalk, StopFromProgressAbortsTheEntry) {
  WriteScript("entry a.txt steps=data:10,data:10\nentry b.txt\n");
  ace.OnProcessData = [&](TdAce& sender, unsigned char*, int, int) {
    sender.Stop = true;
    return 1;
  };
  EXPECT_EQ(ace.Extract(), ACE_ERR_ABORTED);
  EXPECT_TRUE(ace.Stop);
  EXPECT_EQ(events, (Lines{"extracting a.txt", "extract a.txt failed", "error 110"}));
}

// A handler that stops at an entry's event (the installation page does when
// the way to the entry's file leads through a link) keeps it from being
// written at all: the library never sees it.
TEST_F(ExtractWalk, StopFromTheExtractingEventKeepsTheEntryUnwritten) {
  WriteScript("entry a.txt\nentry b.txt\n");
  ace.OnExtracting = [&](TdAce& sender, TACEHeaderData& entry) {
    events.push_back("extracting " + std::string(entry.FileName));
    if (std::string(entry.FileName) == "b.txt") sender.Stop = true;
  };
  EXPECT_EQ(ace.Extract(), ACE_ERR_ABORTED);
  EXPECT_FALSE(ace.Stop);
  EXPECT_EQ(events, (Lines{"extracting a.txt", "extract a.txt ok", "extracting b.txt"}));
  EXPECT_EQ(Extracted(), Lines{targetDir + "\\a.txt"});
  EXPECT_EQ(LogCount("process without header"), 0);
}

// ---- names that would leave the target folder --------------------------

// The installation page deletes files at target + name from the list pass
// on, so an unsafe name must end the walk before any event sees it: in
// List, and in Extract whether or not the entry is selected.
class UnsafeEntryNames : public FakeLibraryTest,
                         public ::testing::WithParamInterface<const char*> {};

TEST_P(UnsafeEntryNames, EndTheWalkWith135BeforeAnyEventSeesThem) {
  const std::string name = GetParam();
  WriteScript("entry ok.txt\nentry " + name + " flags=0x4000\nentry after.txt\n");
  EXPECT_EQ(ace.List(), ACE_ERR_UNSAFE_NAME);
  EXPECT_EQ(events, (Lines{"listing ok.txt", "list ok.txt ok", "error 135"}));
  EXPECT_EQ(ace.RefusedEntryName(), name);  // for the error message

  for (const bool selectOthers : {false, true}) {
    events.clear();
    ClearLibraryLog();
    if (selectOthers) ace.SetFilesToProcess(std::vector<std::string>{"ok.txt", "after.txt"});
    EXPECT_EQ(ace.Extract(), ACE_ERR_UNSAFE_NAME);
    EXPECT_EQ(events, (Lines{"extracting ok.txt", "extract ok.txt ok", "error 135"}));
    EXPECT_EQ(Extracted(), (Lines{Target("ok.txt")}));
    EXPECT_EQ(LogCount("header -> 0 after.txt"), 0);
    ExpectLibraryReleased();
  }
}

// Besides climbing out, names Windows would take for a device or a wildcard
// pattern.
INSTANTIATE_TEST_SUITE_P(Hostile, UnsafeEntryNames,
                         ::testing::Values("..\\evil.txt", "a\\..\\..\\evil.txt", "../evil.txt",
                                           "\\windows\\evil.dll", "/etc/evil",
                                           "\\\\server\\share\\evil.txt", "C:\\evil.txt",
                                           "C:evil.txt", "a\\...\\evil.txt", "dir\\CON", "nul.txt",
                                           "a\\b?.txt", "x..\\evil.txt"));

}  // namespace
}  // namespace pelmora::archive::test
