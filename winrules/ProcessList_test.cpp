#include "winrules/ProcessList.h"

#include <gtest/gtest.h>

#include <utility>

namespace pelmora::winrules {
namespace {

// A module path lookup that records what it was asked.
struct RecordingLookup {
  std::vector<std::pair<ProcessId, bool>> calls;
  std::string answer;
  ModulePathLookup Function() {
    return [this](ProcessId id, bool fullPath) {
      calls.emplace_back(id, fullPath);
      return answer;
    };
  }
};

ProcessNaming ToolHelpNt5(bool fullPath = true) { return {true, false, true, fullPath}; }
ProcessNaming ToolHelpLaterNt() { return {true, false, false, true}; }
ProcessNaming ToolHelp9x(bool fullPath) { return {false, false, false, fullPath}; }

TEST(ToolHelpNaming, IdZeroIsTheIdleProcessWithoutAskingIt) {
  RecordingLookup lookup{{}, "C:\\whatever.exe"};
  EXPECT_EQ(NameToolHelpEntry(0, "[System Process]", ToolHelpNt5(), lookup.Function()),
            "System Idle Process");
  EXPECT_EQ(NameToolHelpEntry(0, "", ToolHelp9x(true), lookup.Function()), "System Idle Process");
  EXPECT_TRUE(lookup.calls.empty());
}

TEST(ToolHelpNaming, NtAsksTheProcessForItsModulePath) {
  RecordingLookup lookup{{}, "C:\\Programs\\bin\\app.exe"};
  EXPECT_EQ(NameToolHelpEntry(1234, "app.exe", ToolHelpNt5(), lookup.Function()),
            "C:\\Programs\\bin\\app.exe");
  EXPECT_EQ(NameToolHelpEntry(1236, "app.exe", ToolHelpLaterNt(), lookup.Function()),
            "C:\\Programs\\bin\\app.exe");
  EXPECT_EQ(NameToolHelpEntry(1238, "app.exe", ToolHelpNt5(false), lookup.Function()),
            "C:\\Programs\\bin\\app.exe");
  ASSERT_EQ(lookup.calls.size(), 3u);
  EXPECT_EQ(lookup.calls[0], std::make_pair(ProcessId{1234}, true));
  EXPECT_EQ(lookup.calls[2], std::make_pair(ProcessId{1238}, false));
}

TEST(ToolHelpNaming, NtFallsBackToTheSnapshotNameWhenTheProcessCannotBeAsked) {
  RecordingLookup lookup{{}, ""};
  EXPECT_EQ(NameToolHelpEntry(4, "System", ToolHelpNt5(), lookup.Function()), "System");
  // An entry stays in the list even without any name.
  EXPECT_EQ(NameToolHelpEntry(5, "", ToolHelpNt5(), lookup.Function()), "");
}

TEST(ToolHelpNaming, Windows9xTakesTheSnapshotPathOrItsFileName) {
  RecordingLookup lookup{{}, "never used"};
  EXPECT_EQ(NameToolHelpEntry(77, "C:\\WINDOWS\\EXPLORER.EXE", ToolHelp9x(true), lookup.Function()),
            "C:\\WINDOWS\\EXPLORER.EXE");
  EXPECT_EQ(
      NameToolHelpEntry(77, "C:\\WINDOWS\\EXPLORER.EXE", ToolHelp9x(false), lookup.Function()),
      "EXPLORER.EXE");
  EXPECT_TRUE(lookup.calls.empty());
}

TEST(ProcessStatusNaming, FixedNamesForIdleAndSystemProcesses) {
  RecordingLookup lookup{{}, "C:\\x.exe"};
  const ProcessNaming nt4{false, true, false, true};
  const ProcessNaming nt5{false, false, true, true};
  EXPECT_EQ(NameProcessStatusEntry(0, nt4, lookup.Function()), "System Idle Process");
  EXPECT_EQ(NameProcessStatusEntry(2, nt4, lookup.Function()), "System Process");
  EXPECT_EQ(NameProcessStatusEntry(8, nt5, lookup.Function()), "System Process");
  EXPECT_TRUE(lookup.calls.empty());
}

TEST(ProcessStatusNaming, SystemIdsOfTheOtherVersionAreAskedLikeAnyProcess) {
  RecordingLookup lookup{{}, "C:\\x.exe"};
  const ProcessNaming nt4{false, true, false, false};
  const ProcessNaming neither{false, false, false, true};
  EXPECT_EQ(NameProcessStatusEntry(8, nt4, lookup.Function()), "C:\\x.exe");
  EXPECT_EQ(NameProcessStatusEntry(2, neither, lookup.Function()), "C:\\x.exe");
  EXPECT_EQ(NameProcessStatusEntry(300, neither, lookup.Function()), "C:\\x.exe");
  ASSERT_EQ(lookup.calls.size(), 3u);
  EXPECT_EQ(lookup.calls[0], std::make_pair(ProcessId{8}, false));
  EXPECT_EQ(lookup.calls[1], std::make_pair(ProcessId{2}, true));
}

TEST(ProcessStatusNaming, IdCountIsBytesOverFourCappedByTheBuffer) {
  EXPECT_EQ(kMaxListedProcessIds, 1025u);
  EXPECT_EQ(ProcessIdCount(0), 0u);
  EXPECT_EQ(ProcessIdCount(7), 1u);
  EXPECT_EQ(ProcessIdCount(400), 100u);
  EXPECT_EQ(ProcessIdCount(4100), 1025u);
  EXPECT_EQ(ProcessIdCount(8192), 1025u);
}

TEST(FileNamePart, CutsAtTheLastSeparator) {
  EXPECT_EQ(FileNamePart("C:\\A\\b.exe"), "b.exe");
  EXPECT_EQ(FileNamePart("C:b.exe"), "b.exe");
  EXPECT_EQ(FileNamePart("a/b/c.exe"), "c.exe");
  EXPECT_EQ(FileNamePart("plain.exe"), "plain.exe");
  EXPECT_EQ(FileNamePart("C:\\dir\\"), "");
}

TEST(ProgramNameMatch, WholeNameOrAfterASeparatorIgnoringCase) {
  EXPECT_TRUE(ProgramNameMatches("C:\\Programme\\Produkt\\app.exe", "app.exe"));
  EXPECT_TRUE(ProgramNameMatches("C:\\Programme\\Produkt\\APP.EXE", "App.Exe"));
  EXPECT_TRUE(ProgramNameMatches("app.exe", "app.exe"));
  EXPECT_TRUE(ProgramNameMatches("C:/tools/app.exe", "app.exe"));
  EXPECT_TRUE(ProgramNameMatches("C:\\Programme\\Ärger\\ÜBER.EXE", "über.exe"));
}

TEST(ProgramNameMatch, ANameThatIsOnlyTheTailOfAnotherFileNameDoesNotMatch) {
  EXPECT_FALSE(ProgramNameMatches("C:\\Programme\\Xapp.exe", "app.exe"));
  EXPECT_FALSE(ProgramNameMatches("Xapp.exe", "app.exe"));
  EXPECT_FALSE(ProgramNameMatches("C:\\Programme\\app.exe.bak", "app.exe"));
  EXPECT_FALSE(ProgramNameMatches("pp.exe", "app.exe"));
  EXPECT_FALSE(ProgramNameMatches("C:\\app.exe", ""));
  EXPECT_FALSE(ProgramNameMatches("", "app.exe"));
}

TEST(ProgramNameMatch, NamesWithFoldersMatchTheTailOfThePath) {
  EXPECT_TRUE(ProgramNameMatches("C:\\Programme\\Produkt\\bin\\app.exe", "bin\\app.exe"));
  EXPECT_TRUE(ProgramNameMatches("C:\\Programme\\Produkt\\BIN\\app.exe", "bin\\APP.exe"));
  EXPECT_FALSE(ProgramNameMatches("C:\\Programme\\Produkt\\xbin\\app.exe", "bin\\app.exe"));
  EXPECT_FALSE(ProgramNameMatches("C:\\Programme\\Produkt\\app.exe", "bin\\app.exe"));
}

ProcessListSource FixedSource(ProcessList list, int* calls = nullptr, bool succeeds = true) {
  return [list = std::move(list), calls, succeeds](ProcessList& out, bool fullPath) {
    if (calls) ++*calls;
    EXPECT_TRUE(fullPath);
    out = list;
    return succeeds;
  };
}

const ProcessList kRunning = {
    {"System Idle Process", 0},
    {"C:\\Windows\\explorer.exe", 40},
    {"C:\\Programme\\Produkt\\app.exe", 512},
    {"C:\\Programme\\Andere\\Xapp.exe", 600},
    {"C:\\Alt\\Produkt\\APP.EXE", 700},
    {"C:\\Programme\\Produkt\\app.exe", 800},
    {"C:\\Windows\\notepad.exe", 900},
};

TEST(FindRunningProgram, TheLaterOfSeveralMatchesByTheTailOfItsPath) {
  EXPECT_EQ(FindRunningProgram("app.exe", FixedSource(kRunning)), ProcessId{800});
  EXPECT_EQ(FindRunningProgram("produkt\\app.exe", FixedSource(kRunning)), ProcessId{800});
  EXPECT_EQ(FindRunningProgram("alt\\produkt\\app.exe", FixedSource(kRunning)), ProcessId{700});
  // A longer name that ends in the name is another program.
  const ProcessList onlyX = {{"C:\\Programme\\Xapp.exe", 600}, {"C:\\a\\b.exe", 10}};
  EXPECT_EQ(FindRunningProgram("app.exe", FixedSource(onlyX)), std::nullopt);
  EXPECT_EQ(FindRunningProgram("Xapp.exe", FixedSource(onlyX)), ProcessId{600});
}

TEST(FindRunningProgram, NothingForAnEmptyNameOrAFailedEnumeration) {
  int calls = 0;
  EXPECT_EQ(FindRunningProgram("", FixedSource(kRunning, &calls)), std::nullopt);
  EXPECT_EQ(calls, 0) << "an empty name enumerates nothing";
  EXPECT_EQ(FindRunningProgram("app.exe", FixedSource(kRunning, &calls, false)), std::nullopt);
  EXPECT_EQ(calls, 1);
}

TEST(FindProcessIdByPath, FirstEqualEntryIgnoringCase) {
  EXPECT_EQ(FindProcessIdByPath("c:\\programme\\produkt\\APP.exe", FixedSource(kRunning)), 512u);
  EXPECT_EQ(FindProcessIdByPath("C:\\Windows\\notepad.exe", FixedSource(kRunning)), 900u);
}

TEST(FindProcessIdByPath, NotFoundOrFailedIsAllBitsSet) {
  EXPECT_EQ(FindProcessIdByPath("C:\\Programme\\app.exe", FixedSource(kRunning)), kNoProcessId);
  // Only whole names count, no suffixes.
  EXPECT_EQ(FindProcessIdByPath("notepad.exe", FixedSource(kRunning)), kNoProcessId);
  EXPECT_EQ(FindProcessIdByPath("C:\\Windows\\notepad.exe", FixedSource(kRunning, nullptr, false)),
            kNoProcessId);
  EXPECT_EQ(kNoProcessId, static_cast<ProcessId>(-1));
}

}  // namespace
}  // namespace pelmora::winrules
