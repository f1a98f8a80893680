#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "winsupport/ChildProcess_win_testutil.h"
#include "winsupport/Processes_win.h"

namespace pelmora::winsupport {
namespace {

using test::ChildProcess;

// The time-out the welcome page gives a running copy of the product.
constexpr std::uint32_t kWelcomePageTimeoutMs = 30;

TEST(CloseOrKillProcess, RefusesTheOwnProcess) {
  EXPECT_EQ(CloseOrKillProcess(::GetCurrentProcessId(), 0), kCloseFailed);
}

TEST(CloseOrKillProcess, FailsForAProcessThatDoesNotExist) {
  // Windows hands out process ids in multiples of four, so this is none.
  EXPECT_EQ(CloseOrKillProcess(0xFFFFFFF1u, kWelcomePageTimeoutMs), kCloseFailed);
}

TEST(CloseOrKillProcess, ACooperativeProgramEndsByItself) {
  ChildProcess child(test::ClosingProgram());
  ASSERT_TRUE(child.WaitForWindow()) << "exit code " << child.ExitCode();
  EXPECT_EQ(CloseOrKillProcess(child.Id(), 20000), kEndedByItself);
  ASSERT_TRUE(child.HasEnded(0));
  EXPECT_EQ(child.ExitCode(), 7u) << "the program should have left its message loop itself";
}

TEST(CloseOrKillProcess, AStubbornProgramIsKilledAfterTheTimeout) {
  ChildProcess child(test::StubbornProgram());
  ASSERT_TRUE(child.WaitForWindow()) << "exit code " << child.ExitCode();
  EXPECT_EQ(CloseOrKillProcess(child.Id(), kWelcomePageTimeoutMs), kKilled);
  ASSERT_TRUE(child.HasEnded(10000));
  EXPECT_EQ(child.ExitCode(), 0u);
}

// ---- waiting patiently while the caller's window stays alive --------------

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Records when the caller got control back during a wait.
struct WaitRecord {
  Clock::time_point start = Clock::now();
  std::vector<Clock::time_point> calls;

  std::function<void()> Callback() {
    return [this] { calls.push_back(Clock::now()); };
  }
  milliseconds Elapsed() const {
    return std::chrono::duration_cast<milliseconds>(Clock::now() - start);
  }
  // The longest stretch in which the caller's window got no turn.
  milliseconds LongestGap() const {
    Clock::time_point previous = start;
    Clock::duration longest{};
    for (const Clock::time_point call : calls) {
      longest = std::max(longest, call - previous);
      previous = call;
    }
    return std::chrono::duration_cast<milliseconds>(longest);
  }
};

TEST(CloseOrKillProcess, AProgramAskingItsUserFirstGetsTheGracePeriodWhileTheCallerKeepsRunning) {
  ASSERT_GE(kPreviousVersionGraceMs, 10000u);
  ChildProcess child(test::SlowClosingProgram());
  ASSERT_TRUE(child.WaitForWindow()) << "exit code " << child.ExitCode();
  WaitRecord record;
  EXPECT_EQ(CloseOrKillProcess(child.Id(), kPreviousVersionGraceMs, record.Callback()),
            kEndedByItself);
  const milliseconds waited = record.Elapsed();
  ASSERT_TRUE(child.HasEnded(0));
  EXPECT_EQ(child.ExitCode(), 7u) << "the program should have left its message loop itself";
  EXPECT_GE(waited, milliseconds(1800)) << "the program closes two seconds after being asked";
  EXPECT_LT(waited, milliseconds(kPreviousVersionGraceMs));
  // About every 50 ms; Wine's timers are coarse, so only roughly.
  EXPECT_GE(record.calls.size(), 10u);
  EXPECT_LE(record.LongestGap(), milliseconds(500));
}

TEST(CloseOrKillProcess, AStubbornProgramIsKilledWhenTheGracePeriodEndsAndTheCallerRanMeanwhile) {
  constexpr std::uint32_t kShortGraceMs = 700;
  ChildProcess child(test::StubbornProgram());
  ASSERT_TRUE(child.WaitForWindow()) << "exit code " << child.ExitCode();
  WaitRecord record;
  EXPECT_EQ(CloseOrKillProcess(child.Id(), kShortGraceMs, record.Callback()), kKilled);
  const milliseconds waited = record.Elapsed();
  ASSERT_TRUE(child.HasEnded(10000));
  EXPECT_EQ(child.ExitCode(), 0u);
  EXPECT_GE(waited, milliseconds(kShortGraceMs - 20));  // GetTickCount's resolution
  EXPECT_LT(waited, milliseconds(kShortGraceMs + 2000));
  EXPECT_GE(record.calls.size(), 4u);
  EXPECT_LE(record.LongestGap(), milliseconds(500));
}

}  // namespace
}  // namespace pelmora::winsupport
