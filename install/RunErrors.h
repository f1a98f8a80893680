// What ends the installation run when it fails. The run is Windows code
// that applies the portable rules, so it meets both layers' answers: the
// rules' refusal (the target folder, a protocol line that would split) and
// Windows' failure (a file that cannot be read or written, a key that cannot
// be created, a value that cannot be set). The words are made where the
// error report shows them (install/FailureText_win.h).
#pragma once

#include <variant>

#include "common/WinFailure.h"
#include "contract/Refusal.h"

namespace pelmora::install {

// Ends the run at the step that answers with it; nothing after that step is
// done.
using RunFailure = std::variant<contract::Refusal, common::WinFailure>;

}  // namespace pelmora::install
