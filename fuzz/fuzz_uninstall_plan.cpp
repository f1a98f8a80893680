// The uninstaller's plan on hostile protocol bytes. Whatever the file says,
// the target passes the target rule, every path the plan would delete lies
// below the target folder on its drive, every parent holds the target and
// passes the rule itself, every key passes the key rules again (below
// HKEY_LOCAL_MACHINE: only the product's own entry), every group is a plain
// name and nothing is planned twice.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "contract/AnsiText.h"
#include "contract/KeyRules.h"
#include "contract/PathRules.h"
#include "contract/UninstallEntry.h"
#include "uninstall/UninstallPlan.h"

namespace {

using pelmora::contract::CheckedPath;
using pelmora::contract::KeyRoot;
using pelmora::contract::TargetFolder;

const pelmora::contract::SystemFolders kSystem{
    "C:\\WINDOWS", {"C:\\Program Files", "C:\\Documents and Settings\\bob"}};
const std::string kProductEntry = pelmora::contract::UninstallKeyPath("Tool");

void Require(bool condition) {
  if (!condition) std::abort();
}

void RequireBelow(const TargetFolder& target, const std::vector<std::string>& paths) {
  std::set<std::string> seen;
  for (const std::string& path : paths) {
    const auto checked = target.Check(path);
    Require(std::holds_alternative<CheckedPath>(checked));
    Require(std::get<CheckedPath>(checked).below > 0);
    Require(seen.insert(pelmora::contract::UpperAnsi(path)).second);
  }
}

void RequireKeys(const std::vector<std::string>& keys, KeyRoot root) {
  for (const std::string& key : keys) {
    const auto checked = pelmora::contract::CheckProtocolKey(key, root, kProductEntry);
    Require(std::holds_alternative<std::string>(checked) && std::get<std::string>(checked) == key);
    if (root == KeyRoot::LocalMachine)
      Require(pelmora::contract::EqualsIgnoreCaseAnsi(key, kProductEntry));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The protocol's own path is the input's first line, the rest is the file:
  // the fuzzer picks where the file lies as well as what it says.
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t lineEnd = input.find('\n');
  if (lineEnd == std::string_view::npos) return 0;
  const auto result = pelmora::uninstall::PlanUninstall(
      input.substr(0, lineEnd), input.substr(lineEnd + 1), kSystem, {kProductEntry, kProductEntry});
  const auto* plan = std::get_if<pelmora::uninstall::UninstallPlan>(&result);
  if (plan == nullptr) return 0;

  const auto target = TargetFolder::Parse(plan->targetFolder);
  Require(std::holds_alternative<TargetFolder>(target));
  const TargetFolder& folder = std::get<TargetFolder>(target);
  Require(pelmora::contract::PathComponents(folder.Path()).size() >= 3);  // "C:", a name, ""
  Require(!pelmora::contract::CheckTargetFolder(plan->targetFolder, kSystem));
  for (const std::string& parent : plan->parents) {
    Require(!pelmora::contract::CheckTargetFolder(parent, kSystem));
    const auto holding = std::get<TargetFolder>(TargetFolder::Parse(parent)).Check(folder.Path());
    Require(std::holds_alternative<CheckedPath>(holding));
    Require(std::get<CheckedPath>(holding).below > 0);
  }
  RequireBelow(folder, plan->comServers);
  RequireBelow(folder, plan->files);
  RequireBelow(folder, plan->folders);
  RequireBelow(folder, {plan->protocolFile});
  RequireKeys(plan->machineKeys, KeyRoot::LocalMachine);
  RequireKeys(plan->userKeys, KeyRoot::CurrentUser);
  for (const std::string& group : plan->groups) {
    const auto checked = pelmora::contract::CheckGroupName(group);
    Require(std::holds_alternative<std::string>(checked));
  }
  for (std::size_t i = 1; i < plan->folders.size(); ++i)
    Require(pelmora::contract::PathDepth(plan->folders[i - 1]) >=
            pelmora::contract::PathDepth(plan->folders[i]));
  return 0;
}
