#include "install/FailureText_win.h"

#include <windows.h>

#include <optional>

#include "common/IoErrorText.h"
#include "install/RunTexts.h"
#include "pages/TargetTexts.h"

namespace pelmora::install {
namespace {

// What the run time calls a disk write error: a write that stored fewer
// bytes than it was given, which the Windows layer reports as a full disk.
constexpr std::uint32_t kDiskWriteError = 101;

std::optional<FailureCause> CauseOf(std::uint32_t systemError) {
  switch (systemError) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return FailureCause::DriveFull;
    case ERROR_ACCESS_DENIED:
      return FailureCause::AccessDenied;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return FailureCause::FileInUse;
    default:
      return std::nullopt;
  }
}

}  // namespace

std::string FailedStatus(std::uint32_t systemError, bool english) {
  if (const auto cause = CauseOf(systemError)) return FailedStatusText(*cause, english);
  return StatusTextsFor(english).failed;
}

std::string FailedStatus(const RunFailure& failure, bool english) {
  const auto* windows = std::get_if<common::WinFailure>(&failure);
  const bool ownCode = windows && windows->subject == common::WinFailure::Subject::Server;
  return FailedStatus(windows && !ownCode ? windows->code : 0, english);
}

std::string FailureText(const common::WinFailure& failure) {
  using Subject = common::WinFailure::Subject;
  switch (failure.subject) {
    case Subject::Key:  // in the run, always one it could not create
      return KeyCreationFailedText(failure.what);
    case Subject::Value:
      return ValueWriteFailedText(failure.what);
    case Subject::Server:
      return kRegisterFailedText + failure.what;
    case Subject::File:
    case Subject::Resource:
      break;
  }
  return common::IoErrorText(failure.code == ERROR_HANDLE_DISK_FULL ? kDiskWriteError
                                                                    : failure.code);
}

std::string FailureText(const RunFailure& failure, bool english) {
  if (const auto* refusal = std::get_if<contract::Refusal>(&failure))
    return refusal->reason == contract::Reason::SplitsLine
               ? refusal->detail
               : pages::TargetRefusedText(*refusal, english);
  return FailureText(std::get<common::WinFailure>(failure));
}

}  // namespace pelmora::install
