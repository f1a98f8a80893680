// Removing the product's Start-menu group: its shortcuts and its uninstall
// shortcut, then the group's folders when they are empty. Windows only.
#pragma once

#include <string>

#include "uninstall/Outcome.h"
#include "contract/PathRules.h"

namespace pelmora::uninstall {

// group is a checked group name ("" for the Programs folder itself, where
// only the uninstall shortcut of a product without shortcuts lies).
// programsFolder is the current user's Programs folder without a trailing
// "\", as the setup used it. COM must be initialised on the thread.
void RemoveGroup(const std::string& programsFolder, const std::string& group,
                 const contract::TargetFolder& target, const std::string& protocolPath,
                 Outcome& outcome);

}  // namespace pelmora::uninstall
