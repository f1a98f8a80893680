#include <gtest/gtest.h>

#include <algorithm>

#include "contract/AnsiText.h"
#include "winsupport/ChildProcess_win_testutil.h"
#include "winsupport/Processes_win.h"

namespace pelmora::winsupport {
namespace {

using contract::EqualsIgnoreCaseAnsi;
using contract::UpperAnsi;

using pelmora::test::ScratchDir;
using test::ChildProcess;
using test::CopyProgram;

std::string OwnModulePath() {
  char path[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  return path;
}

const winrules::ProcessEntry* FindEntry(const ProcessList& list, ProcessId id) {
  const auto found = std::find_if(list.begin(), list.end(),
                                  [id](const winrules::ProcessEntry& e) { return e.id == id; });
  return found == list.end() ? nullptr : &*found;
}

TEST(ListProcesses, ContainsThisProcessWithItsFullPath) {
  ProcessList list;
  ASSERT_TRUE(ListProcesses(list, true));
  const winrules::ProcessEntry* self = FindEntry(list, ::GetCurrentProcessId());
  ASSERT_NE(self, nullptr);
  EXPECT_TRUE(EqualsIgnoreCaseAnsi(self->name, OwnModulePath())) << self->name;
}

TEST(ListProcesses, AppendsToWhatTheListHeld) {
  ProcessList list{{"placeholder", 1}};
  ASSERT_TRUE(ListProcesses(list, true));
  ASSERT_GT(list.size(), 1u);
  EXPECT_EQ(list.front().name, "placeholder");
}

TEST(ListProcesses, BothMethodsNameThisProcessByPathOrBaseName) {
  const std::string ownPath = OwnModulePath();
  const std::string ownName(winrules::FileNamePart(ownPath));
  const ProcessId ownId = ::GetCurrentProcessId();
  ProcessNaming naming;
  naming.modulePathNames = true;

  for (const bool fullPath : {true, false}) {
    naming.fullPath = fullPath;
    const std::string& expected = fullPath ? ownPath : ownName;
    ProcessList byToolHelp;
    ProcessList byProcessStatus;
    ASSERT_TRUE(ListProcessesByToolHelp(byToolHelp, naming));
    ASSERT_TRUE(ListProcessesByProcessStatus(byProcessStatus, naming));
    for (const ProcessList* list : {&byToolHelp, &byProcessStatus}) {
      const winrules::ProcessEntry* self = FindEntry(*list, ownId);
      ASSERT_NE(self, nullptr);
      EXPECT_TRUE(EqualsIgnoreCaseAnsi(self->name, expected)) << self->name;
    }
  }
}

TEST(ListProcesses, ProcessStatusListHasNoUnnamedEntries) {
  ProcessList list;
  ASSERT_TRUE(ListProcessesByProcessStatus(list, ProcessNaming{}));
  for (const winrules::ProcessEntry& entry : list)
    EXPECT_FALSE(entry.name.empty()) << "id " << entry.id;
}

TEST(GetProcessModulePath, FullPathOrBaseNameOfARunningProcess) {
  const std::string ownPath = OwnModulePath();
  EXPECT_TRUE(EqualsIgnoreCaseAnsi(GetProcessModulePath(::GetCurrentProcessId(), true), ownPath));
  EXPECT_TRUE(EqualsIgnoreCaseAnsi(GetProcessModulePath(::GetCurrentProcessId(), false),
                                   winrules::FileNamePart(ownPath)));
}

TEST(GetProcessModulePath, EmptyForAProcessThatDoesNotExist) {
  EXPECT_EQ(GetProcessModulePath(0xFFFFFFF1u, true), "");
}

TEST(FindProcessIdByPath, IgnoresCase) {
  const std::string ownPath = OwnModulePath();
  EXPECT_EQ(FindProcessIdByPath(UpperAnsi(ownPath)), ::GetCurrentProcessId());
  std::string lower = ownPath;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
  EXPECT_EQ(FindProcessIdByPath(lower), ::GetCurrentProcessId());
}

TEST(FindProcessIdByPath, AllBitsSetWhenNotRunning) {
  EXPECT_EQ(FindProcessIdByPath("C:\\nowhere\\not-running.exe"), winrules::kNoProcessId);
}

class FindRunningProgramTest : public ::testing::Test {
 protected:
  // Children live in the scratch folder and must end before it is removed.
  ScratchDir scratch_{"winsupport-processes"};
  std::filesystem::path Copy(const std::string& relativePath) {
    return CopyProgram(test::ClosingProgram(), scratch_.Path() / relativePath);
  }
};

TEST_F(FindRunningProgramTest, EmptyNameFindsNothingWithoutEnumerating) {
  int enumerations = 0;
  const winrules::ProcessListSource countingSource = [&enumerations](ProcessList& list,
                                                                     bool fullPath) {
    ++enumerations;
    return ListProcesses(list, fullPath);
  };
  EXPECT_EQ(winrules::FindRunningProgram("", countingSource), std::nullopt);
  EXPECT_EQ(enumerations, 0);
  EXPECT_EQ(FindRunningProgram(""), std::nullopt);
}

TEST_F(FindRunningProgramTest, ALongerFileNameEndingInTheNameIsNotTheProgram) {
  ChildProcess other(Copy("Xapp.exe"));
  EXPECT_EQ(FindRunningProgram("app.exe"), std::nullopt);
  EXPECT_EQ(FindRunningProgram("xapp.EXE"), other.Id());
}

TEST_F(FindRunningProgramTest, ANameWithAFolderIsFoundByTheTailOfThePath) {
  ChildProcess app(Copy("bin\\app.exe"));
  EXPECT_EQ(FindRunningProgram("bin\\app.exe"), app.Id());
  EXPECT_EQ(FindRunningProgram("lib\\app.exe"), std::nullopt);
}

TEST_F(FindRunningProgramTest, AProcessWhoseModulesCannotBeReadIsFoundByItsFolderToo) {
  const auto path = Copy("suspended\\app.exe");
  ChildProcess app(path, ChildProcess::Start::Suspended);
  EXPECT_TRUE(EqualsIgnoreCaseAnsi(GetProcessModulePath(app.Id(), true), path.string()))
      << GetProcessModulePath(app.Id(), true);
  EXPECT_TRUE(EqualsIgnoreCaseAnsi(GetProcessModulePath(app.Id(), false), "app.exe"));
  EXPECT_EQ(FindRunningProgram("suspended\\app.exe"), app.Id());
}

// The order of the list is the platform's and may differ between two
// enumerations, so "later" is judged on the very list the search saw.
class SeenListSource {
 public:
  winrules::ProcessListSource Function() {
    return [this](ProcessList& list, bool fullPath) {
      const bool listed = ListProcesses(list, fullPath);
      seen_ = list;
      return listed;
    };
  }
  ProcessId LaterOf(ProcessId a, ProcessId b) const {
    ProcessId later = 0;
    for (const winrules::ProcessEntry& entry : seen_)
      if (entry.id == a || entry.id == b) later = entry.id;
    return later;
  }

 private:
  ProcessList seen_;
};

TEST_F(FindRunningProgramTest, TheLaterOfTwoRunningCopiesIsReported) {
  ChildProcess first(Copy("one\\app.exe"));
  ChildProcess second(Copy("two\\app.exe"));
  SeenListSource source;
  const auto found = winrules::FindRunningProgram("app.exe", source.Function());
  const ProcessId later = source.LaterOf(first.Id(), second.Id());
  ASSERT_NE(later, 0u) << "both copies should have been listed";
  EXPECT_EQ(found, later);
}

TEST_F(FindRunningProgramTest, TwoCopiesOfOneFileReportTheLaterToo) {
  const auto path = Copy("same\\app.exe");
  ChildProcess first(path);
  ChildProcess second(path);
  SeenListSource source;
  const auto found = winrules::FindRunningProgram("same\\app.exe", source.Function());
  const ProcessId later = source.LaterOf(first.Id(), second.Id());
  ASSERT_NE(later, 0u) << "both copies should have been listed";
  EXPECT_EQ(found, later);
}

}  // namespace
}  // namespace pelmora::winsupport
