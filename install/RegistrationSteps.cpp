#include "install/RegistrationSteps.h"

namespace pelmora::install {

bool StepReport::Fail(const std::string& text) {
  switch (onFailure_) {
    case OnFailure::PassOver:
      return true;
    case OnFailure::NoticeAndGoOn:
      if (notice_) notice_(text);
      return true;
    case OnFailure::EndRun:
      if (!failure_) failure_ = RunFailure{text};
      return false;
  }
  return false;
}

}  // namespace pelmora::install
