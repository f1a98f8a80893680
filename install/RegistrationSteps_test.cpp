#include "install/RegistrationSteps.h"

#include <gtest/gtest.h>

#include "install/RunErrors.h"

namespace pelmora::install {
namespace {

// What the user meets when each registration step fails: the run's
// documented behaviour, step by step, and nothing else (a passed-over
// failure says nothing, a notice does not end the run, an ending failure
// shows exactly the step's text).
TEST(RegistrationSteps, EachStepsFailureDoesWhatTheRunPromises) {
  struct Expected {
    RegistrationStep step;
    bool notice;
    bool endsRun;
  };
  const Expected expected[] = {
      {RegistrationStep::ImportSettingsFile, false, false},
      {RegistrationStep::MoveUninstaller, false, true},
      {RegistrationStep::UninstallEntry, false, true},
      {RegistrationStep::RegistryKeys, false, true},
      {RegistrationStep::ComServers, true, false},
      {RegistrationStep::Shortcuts, false, false},
  };
  ASSERT_EQ(std::size(expected), std::size(kRegistrationSteps));
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    const Expected& e = expected[i];
    EXPECT_EQ(kRegistrationSteps[i].step, e.step) << "the steps run in this order";
    contract::Protocol protocol;
    std::vector<std::string> notices;
    StepReport report(e.step, protocol, [&](const std::string& text) { notices.push_back(text); });
    report.Protocol().AddUserKey("Software\\Firma\\Tool");
    EXPECT_EQ(report.Fail("E/A-Fehler 5"), !e.endsRun) << i;
    EXPECT_EQ(report.Failure().has_value(), e.endsRun) << i;
    EXPECT_EQ(report.Failure().value_or(RunFailure{}).text, e.endsRun ? "E/A-Fehler 5" : "") << i;
    EXPECT_EQ(notices,
              e.notice ? std::vector<std::string>{"E/A-Fehler 5"} : std::vector<std::string>{})
        << i;
    // The lines a step made before failing stay with the run's protocol.
    EXPECT_EQ(protocol.Lines(), std::vector<std::string>{"r1Software\\Firma\\Tool"}) << i;
  }
}

}  // namespace
}  // namespace pelmora::install
