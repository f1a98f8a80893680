#include <unistd.h>

#include "acewriter/Terminal.h"

namespace pelmora::acewriter {

bool StandardErrorIsTerminal() { return ::isatty(STDERR_FILENO) != 0; }

}  // namespace pelmora::acewriter
