// Reading a link back: only the uninstaller does, so the setup program does
// not carry it (the unwind tables keep every function of an object).
#include "winsupport/ShellLink_win.h"

namespace pelmora::winsupport {

bool ShellLink::LoadFromFile(const std::string& fileName) noexcept {
  if (!file_) return false;
  return SUCCEEDED(file_.Get()->Load(WideName(fileName).c_str(), STGM_READ));
}

std::string ShellLink::Path() const {
  char path[MAX_PATH] = {};
  if (!link_ || FAILED(link_.Get()->GetPath(path, MAX_PATH, nullptr, 0))) return {};
  return path;
}

std::string ShellLink::Arguments() const {
  // The longest arguments a link holds.
  char arguments[INFOTIPSIZE] = {};
  if (!link_ || FAILED(link_.Get()->GetArguments(arguments, INFOTIPSIZE))) return {};
  return arguments;
}

}  // namespace pelmora::winsupport
