#include <io.h>

#include <cstdio>

#include "acewriter/Terminal.h"

namespace pelmora::acewriter {

bool StandardErrorIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

}  // namespace pelmora::acewriter
