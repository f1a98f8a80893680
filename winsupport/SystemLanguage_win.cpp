#include "winsupport/SystemLanguage_win.h"

#include <windows.h>

#include <cstdlib>

namespace pelmora::winsupport {

std::string SystemLanguageName() {
#ifdef PELMORA_LANGUAGE_NAME_FROM_ENVIRONMENT
  if (const char* name = std::getenv("PELMORA_TEST_LANGUAGE_NAME")) return name;
#endif
  char name[255] = {};
  ::GetLocaleInfoA(LOCALE_SYSTEM_DEFAULT, LOCALE_SLANGUAGE, name, sizeof name);
  return name;
}

}  // namespace pelmora::winsupport
