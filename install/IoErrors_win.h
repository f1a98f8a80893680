// Windows' error codes as the run reports them.
#pragma once

#include <windows.h>

#include "install/RunErrors.h"
#include "winsupport/Files_win.h"

namespace pelmora::install {

// The run time's numbering: a short write is its disk write error, any
// other failure keeps the system's code.
inline RunFailure IoFailureFromWindows(DWORD code) {
  return IoFailure(code == winsupport::kShortWrite ? kDiskWriteError : static_cast<int>(code));
}

}  // namespace pelmora::install
