#include "install/RegistrationSteps.h"

#include "install/RunErrors.h"

namespace pelmora::install {

void StepReport::Fail(const std::string& text) {
  switch (onFailure_) {
    case OnFailure::PassOver:
      return;
    case OnFailure::NoticeAndGoOn:
      if (notice_) notice_(text);
      return;
    case OnFailure::EndRun:
      throw RunFailure(text);
  }
}

}  // namespace pelmora::install
