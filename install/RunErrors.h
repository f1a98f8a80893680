// The failures that end the installation run. Their texts are the ones the
// run's error report shows (which appends the full stop), so they are German
// whatever the page language.
#pragma once

#include <string>

#include "common/IoErrorText.h"

namespace pelmora::install {

// Ends the run at the step that answers with it; nothing after that step is
// done.
struct RunFailure {
  std::string text;
};

// The run time's disk write error: a write stored fewer bytes than it was
// given (a full disk).
inline constexpr int kDiskWriteError = 101;

// An input/output failure, numbered like the run time's I/O errors: the
// system's error code where Windows refused, kDiskWriteError for a short
// write.
inline RunFailure IoFailure(int code) { return {common::IoErrorText(code)}; }

}  // namespace pelmora::install
