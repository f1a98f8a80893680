// Windows-1252 text (member names, setup texts) as this platform's consoles
// and file names spell it: unchanged on Windows, whose ANSI code page it is
// (LocalText_win.cpp); UTF-8 elsewhere (LocalText_posix.cpp).
#pragma once

#include <string>
#include <string_view>

namespace pelmora::acewriter {

std::string LocalText(std::string_view cp1252);

}  // namespace pelmora::acewriter
