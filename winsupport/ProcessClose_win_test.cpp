#include <gtest/gtest.h>

#include "winsupport/ChildProcess_win_testutil.h"
#include "winsupport/Processes.h"

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

}  // namespace
}  // namespace pelmora::winsupport
