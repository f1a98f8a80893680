#include "install/RegistrationSteps.h"

#include <gtest/gtest.h>

#include "install/RunErrors.h"

namespace pelmora::install {
namespace {

// The documented phase, step by step: the order, and what the user meets
// when a step fails (a passed-over failure says nothing, a notice does not
// end the run, an ending failure is exactly the step's first).
struct Expected {
  RegistrationStep step;
  bool notice;
  bool endsRun;
};
constexpr Expected kExpected[] = {
    {RegistrationStep::ImportSettingsFile, false, false},
    {RegistrationStep::MoveUninstaller, false, true},
    {RegistrationStep::UninstallEntry, false, true},
    {RegistrationStep::RegistryKeys, false, true},
    {RegistrationStep::ComServers, true, false},
    {RegistrationStep::Shortcuts, false, false},
};

struct Phase {
  std::vector<RegistrationStep> performed;
  std::vector<std::uint32_t> notices;  // the codes of the failures noticed
  std::optional<RunFailure> failure;
  std::vector<std::string> lines;
};

// The phase as the run performs it, with every step adding one protocol
// line and the step `failing` failing twice (the second failure must not
// be reached once the first ended the run) or, with `refuse`, adding a line
// the protocol refuses.
Phase Perform(std::optional<RegistrationStep> failing, bool refuse = false) {
  Phase phase;
  contract::Protocol protocol;
  phase.failure = PerformRegistration(
      protocol, [&](const common::WinFailure& failure) { phase.notices.push_back(failure.code); },
      [&](RegistrationStep step, StepReport& report) {
        phase.performed.push_back(step);
        report.Protocol().AddUserKey("Software\\Firma\\" + std::to_string(int(step)));
        if (step != failing) return;
        if (refuse) {
          report.Protocol().AddFile("geteilt\nzeile");
          return;
        }
        using Subject = common::WinFailure::Subject;
        if (report.Fail({Subject::File, "a.dll", 5})) report.Fail({Subject::File, "b.dll", 6});
      });
  phase.lines = protocol.Lines();
  return phase;
}

std::vector<RegistrationStep> StepsUpTo(std::size_t last) {
  std::vector<RegistrationStep> steps;
  for (std::size_t i = 0; i <= last; ++i) steps.push_back(kExpected[i].step);
  return steps;
}

TEST(RegistrationSteps, TheRunPerformsTheTableInItsOrderAndEachFailureAsTheTableSays) {
  ASSERT_EQ(std::size(kRegistrationSteps), std::size(kExpected));
  for (std::size_t i = 0; i < std::size(kExpected); ++i)
    EXPECT_EQ(kRegistrationSteps[i].step, kExpected[i].step) << "the steps run in this order";

  const Phase clean = Perform(std::nullopt);
  EXPECT_EQ(clean.performed, StepsUpTo(std::size(kExpected) - 1)) << "each step once, in order";
  EXPECT_FALSE(clean.failure.has_value());
  EXPECT_TRUE(clean.notices.empty());
  EXPECT_EQ(clean.lines.size(), std::size(kExpected));

  for (std::size_t i = 0; i < std::size(kExpected); ++i) {
    const Expected& e = kExpected[i];
    const Phase phase = Perform(e.step);
    const std::size_t last = e.endsRun ? i : std::size(kExpected) - 1;
    EXPECT_EQ(phase.performed, StepsUpTo(last)) << i;
    const auto* ended = phase.failure ? std::get_if<common::WinFailure>(&*phase.failure) : nullptr;
    EXPECT_EQ(ended ? ended->what : "", e.endsRun ? "a.dll" : "") << i;
    const std::vector<std::uint32_t> notices{5, 6};
    EXPECT_EQ(phase.notices, e.notice ? notices : std::vector<std::uint32_t>{}) << i;
    // The lines a step made before failing stay with the run's protocol.
    EXPECT_EQ(phase.lines.size(), last + 1) << i;

    // A line the protocol refuses ends the run after any step.
    const Phase refused = Perform(e.step, true);
    EXPECT_EQ(refused.performed, StepsUpTo(i)) << i;
    ASSERT_TRUE(refused.failure.has_value()) << i;
    const auto* refusal = std::get_if<contract::Refusal>(&*refused.failure);
    ASSERT_NE(refusal, nullptr) << i;
    EXPECT_EQ(refusal->reason, contract::Reason::SplitsLine);
    EXPECT_NE(refusal->detail.find("geteilt"), std::string::npos) << refusal->detail;
  }
}

}  // namespace
}  // namespace pelmora::install
