#include "install/RegistrationSteps.h"

namespace pelmora::install {

bool StepReport::Fail(const common::WinFailure& failure) {
  switch (onFailure_) {
    case OnFailure::PassOver:
      return true;
    case OnFailure::NoticeAndGoOn:
      if (notice_) notice_(failure);
      return true;
    case OnFailure::EndRun:
      if (!failure_) failure_ = failure;
      return false;
  }
  return false;
}

std::optional<RunFailure> PerformRegistration(contract::Protocol& protocol,
                                              const StepReport::Notice& notice,
                                              const StepPerformer& perform) {
  for (const StepRule& rule : kRegistrationSteps) {
    StepReport report(rule.step, protocol, notice);
    perform(rule.step, report);
    if (report.Failure()) return RunFailure(*report.Failure());
    if (protocol.Refused()) return RunFailure(*protocol.Refused());
  }
  return std::nullopt;
}

}  // namespace pelmora::install
