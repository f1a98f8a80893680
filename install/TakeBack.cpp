#include "install/TakeBack.h"

#include <algorithm>

#include "contract/AnsiText.h"
#include "contract/PathRules.h"
#include "contract/Protocol.h"

namespace pelmora::install {
namespace {

bool HoldsPath(const std::vector<std::string>& paths, const std::string& path) {
  return std::any_of(paths.begin(), paths.end(),
                     [&](const std::string& p) { return contract::SamePath(p, path); });
}

bool HoldsName(const std::vector<std::string>& names, const std::string& name) {
  return std::any_of(names.begin(), names.end(),
                     [&](const std::string& n) { return contract::EqualsIgnoreCaseAnsi(n, name); });
}

// Whether the line names something the run created (comments: kept as the
// header the plan reads).
bool Created(const contract::ProtocolLine& line, const FoundBeforeRun& before,
             const std::vector<std::string>& registeredServers) {
  using contract::LineKind;
  switch (line.kind) {
    case LineKind::Folder:
    case LineKind::File:
      return !HoldsPath(before.paths, line.text);
    case LineKind::MachineKey:
      return !HoldsName(before.machineKeys, line.text);
    case LineKind::UserKey:
      return !HoldsName(before.userKeys, line.text);
    case LineKind::Group:
      return !HoldsName(before.groups, line.text);
    case LineKind::ComServer:
      return HoldsPath(registeredServers, line.text) && !HoldsPath(before.paths, line.text);
    case LineKind::Comment:
    case LineKind::Unknown:
      return true;
  }
  return true;
}

}  // namespace

std::string TakeBackBlock(const std::vector<std::string>& lines, const FoundBeforeRun& before,
                          const std::vector<std::string>& registeredServers) {
  std::string block;
  bool targetSeen = false;
  for (const std::string& text : lines) {
    const contract::ProtocolLine line = contract::ParseProtocolLine(text);
    // The first folder line is the target: the plan needs it, and the
    // removal takes the folder only when nothing is left in it.
    const bool target = !targetSeen && line.kind == contract::LineKind::Folder;
    targetSeen = targetSeen || target;
    if (target || Created(line, before, registeredServers)) block += text + "\r\n";
  }
  return block;
}

}  // namespace pelmora::install
