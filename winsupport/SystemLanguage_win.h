// The system's language name, which decides the language of the setup and
// the uninstaller (contract/Language.h). Windows only.
#pragma once

#include <string>

namespace pelmora::winsupport {

// The name of the system default locale's language ("Deutsch
// (Deutschland)" on a German system); empty when Windows cannot tell. A
// test build run under an emulator that names every language in English
// may be told another name (PELMORA_TEST_LANGUAGE_NAME); the shipped
// program has no such door.
std::string SystemLanguageName();

}  // namespace pelmora::winsupport
