#include "winsupport/SystemLanguage_win.h"

#include <windows.h>

namespace pelmora::winsupport {

std::string SystemLanguageName() {
  char name[255] = {};
  ::GetLocaleInfoA(LOCALE_SYSTEM_DEFAULT, LOCALE_SLANGUAGE, name, sizeof name);
  return name;
}

}  // namespace pelmora::winsupport
