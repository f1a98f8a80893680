#include "uninstall/UninstallEntries_win.h"

#include <windows.h>

#include <functional>

#include "contract/AnsiText.h"
#include "contract/CommandLine.h"
#include "contract/PathRules.h"
#include "contract/Seal.h"
#include "contract/UninstallEntry.h"
#include "winsupport/Registry_win.h"
#include "winsupport/Seal_win.h"

namespace pelmora::uninstall {
namespace {

using contract::CommandLine;

// Calls visit(root, entry key, its command) for every entry with an
// UninstallString until visit returns true; returns whether one did.
bool AnyEntry(const std::function<bool(HKEY, const std::string&, const CommandLine&)>& visit) {
  const std::string parent(contract::kUninstallKeyParent);
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
    for (const std::string& name : winsupport::RegSubkeyNames(root, parent)) {
      const std::string key = contract::UninstallKeyPath(name);
      const auto command = winsupport::ReadRegString(root, key, contract::kUninstallStringValue);
      if (command && visit(root, key, contract::SplitCommandLine(*command))) return true;
    }
  }
  return false;
}

}  // namespace

std::vector<ProductEntry> FindProductEntries(const std::string& protocolPath, bool elevated) {
  std::vector<ProductEntry> found;
  AnyEntry([&](HKEY root, const std::string& key, const CommandLine& command) {
    if (!contract::SamePath(command.argument, protocolPath)) return false;
    winsupport::RecordedSeal seal = winsupport::ReadSeal(root, key, elevated);
    found.push_back({root, key,
                     winsupport::ReadRegString(root, key, contract::kDisplayNameValue).value_or(""),
                     std::move(seal.protocolDigest), std::move(seal.serverDigests)});
    return false;
  });
  return found;
}

}  // namespace pelmora::uninstall
