// The failures that end the installation run. Their texts are the ones the
// run's error barrier shows as the standard error report (which appends the
// full stop), so they are German whatever the page language.
#pragma once

#include <stdexcept>
#include <string>

#include "install/RunTexts.h"

namespace pelmora::install {

// Ends the run at the step that throws it; nothing after that step is done.
class RunFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// An input/output failure, numbered like the run time's I/O errors: the
// system's error code where Windows refused, kDiskWriteError where a write
// stored fewer bytes than it was given (a full disk).
class IoError : public RunFailure {
 public:
  static constexpr int kDiskWriteError = 101;

  explicit IoError(int code) : RunFailure(IoErrorText(code)), code_(code) {}
  int Code() const noexcept { return code_; }

 private:
  int code_;
};

}  // namespace pelmora::install
