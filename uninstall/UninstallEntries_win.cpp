#include "uninstall/UninstallEntries_win.h"

#include <windows.h>

#include <functional>

#include "uninstall/CommandLine.h"
#include "winsupport/AnsiText.h"
#include "winsupport/Registry_win.h"

namespace pelmora::uninstall {
namespace {

constexpr const char* kUninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// Calls visit(root, entry key, its command) for every entry with an
// UninstallString until visit returns true; returns whether one did.
bool AnyEntry(const std::function<bool(HKEY, const std::string&, const CommandLine&)>& visit) {
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
    for (const std::string& name : winsupport::RegSubkeyNames(root, kUninstallKey)) {
      const std::string key = std::string(kUninstallKey) + "\\" + name;
      std::string command;
      if (!winsupport::ReadRegString(root, key, "UninstallString", command)) continue;
      if (visit(root, key, SplitCommandLine(command))) return true;
    }
  }
  return false;
}

}  // namespace

std::string DisplayNameForProtocol(const std::string& protocolPath) {
  std::string displayName;
  AnyEntry([&](HKEY root, const std::string& key, const CommandLine& command) {
    if (!winsupport::EqualsIgnoreCaseAnsi(command.argument, protocolPath)) return false;
    return winsupport::ReadRegString(root, key, "DisplayName", displayName) && !displayName.empty();
  });
  return displayName;
}

bool AnyEntryStartsProgram(const std::string& programPath) {
  return AnyEntry([&](HKEY, const std::string&, const CommandLine& command) {
    return winsupport::EqualsIgnoreCaseAnsi(command.program, programPath);
  });
}

}  // namespace pelmora::uninstall
