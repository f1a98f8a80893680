// The registration phase of the installation run: its steps in their order
// and what a failure of each one does to the run. This table alone decides
// both: the run goes through it (PerformRegistration) and only says how
// each step is done; a step only tells its failures (StepReport::Fail, with
// Windows' failure as the Windows layer gave it) and its protocol lines, and
// goes on when Fail returns.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "common/WinFailure.h"
#include "contract/Protocol.h"
#include "install/RunErrors.h"

namespace pelmora::install {

enum class OnFailure {
  PassOver,       // nothing is said: the thing is left out, the run goes on
  NoticeAndGoOn,  // a plain notice naming it; the step goes on with its next item
  EndRun,         // the error report; nothing after it is done, no protocol is written
};

enum class RegistrationStep {
  ImportSettingsFile,  // registry.reg, imported and deleted
  MoveUninstaller,     // into the Windows folder
  UninstallEntry,      // the product's entry in the list of installed programs
  RegistryKeys,        // the description's keys below HKEY_CURRENT_USER
  ComServers,          // self-registration of each listed server
  Shortcuts,           // the Start-menu shortcuts and the uninstall shortcut
};

struct StepRule {
  RegistrationStep step;
  OnFailure onFailure;
};

// In the order the run performs them. An optional file that is missing
// (registry.reg, the uninstaller) is no failure: its step has nothing to do.
inline constexpr StepRule kRegistrationSteps[] = {
    {RegistrationStep::ImportSettingsFile, OnFailure::PassOver},
    {RegistrationStep::MoveUninstaller, OnFailure::EndRun},
    {RegistrationStep::UninstallEntry, OnFailure::EndRun},
    {RegistrationStep::RegistryKeys, OnFailure::EndRun},
    {RegistrationStep::ComServers, OnFailure::NoticeAndGoOn},
    {RegistrationStep::Shortcuts, OnFailure::PassOver},
};

constexpr OnFailure OnFailureOf(RegistrationStep step) {
  for (const StepRule& rule : kRegistrationSteps)
    if (rule.step == step) return rule.onFailure;
  return OnFailure::EndRun;
}

// What a step hands back to the run: its protocol lines and its failures.
class StepReport {
 public:
  using Notice = std::function<void(const common::WinFailure& failure)>;

  StepReport(RegistrationStep step, contract::Protocol& protocol, Notice notice)
      : onFailure_(OnFailureOf(step)), protocol_(protocol), notice_(std::move(notice)) {}

  contract::Protocol& Protocol() { return protocol_; }

  // A failure. True when the step may go on; false when the step's
  // failures end the run: the step then returns at once, and the run ends
  // with the first of them (Failure()).
  bool Fail(const common::WinFailure& failure);
  const std::optional<common::WinFailure>& Failure() const { return failure_; }

 private:
  OnFailure onFailure_;
  contract::Protocol& protocol_;
  Notice notice_;
  std::optional<common::WinFailure> failure_;
};

// Does the steps of kRegistrationSteps in the table's order, each once, by
// `perform` with the step's report (`notice` shows its notices). Once a step
// has ended the run, or the protocol has refused one of its lines, no
// further step is done, and that failure is returned.
using StepPerformer = std::function<void(RegistrationStep step, StepReport& report)>;
std::optional<RunFailure> PerformRegistration(contract::Protocol& protocol,
                                              const StepReport::Notice& notice,
                                              const StepPerformer& perform);

}  // namespace pelmora::install
