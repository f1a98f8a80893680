// The failures that end the installation run. Their texts are the ones the
// run's error barrier shows as the standard error report (which appends the
// full stop), so they are German whatever the page language.
#pragma once

#include <stdexcept>
#include <string>

#include "install/RunTexts.h"

namespace pelmora::install {

// An input/output failure, numbered like the run time's I/O errors: the
// system's error code where Windows refused, kDiskWriteError where a write
// stored fewer bytes than it was given (a full disk).
class IoError : public std::runtime_error {
 public:
  static constexpr int kDiskWriteError = 101;

  explicit IoError(int code) : std::runtime_error(IoErrorText(code)), code_(code) {}
  int Code() const noexcept { return code_; }

 private:
  int code_;
};

inline std::runtime_error KeyCreationFailed(const std::string& keyPath) {
  return std::runtime_error(KeyCreationFailedText(keyPath));
}

inline std::runtime_error ValueWriteFailed(const std::string& valueName) {
  return std::runtime_error(ValueWriteFailedText(valueName));
}

}  // namespace pelmora::install
