// Whether the tools' message stream (standard error) is a terminal: only a
// person watching a terminal wants a line redrawn in place; in a log or a
// pipe the carriage returns would only pile up.
#pragma once

namespace pelmora::acewriter {

bool StandardErrorIsTerminal();

}  // namespace pelmora::acewriter
