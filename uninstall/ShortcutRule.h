// Which Start-menu shortcuts in a product's group are the product's: those
// that start a file inside its target folder, and its uninstall shortcut
// (the uninstaller with this very protocol). Any other link in the group is
// the user's and stays.
#pragma once

#include <string_view>

#include "contract/PathRules.h"

namespace pelmora::uninstall {

// linkTarget and linkArguments as the link holds them, quoted or not.
bool IsProductShortcut(const contract::TargetFolder& target, std::string_view protocolPath,
                       std::string_view linkTarget, std::string_view linkArguments);

}  // namespace pelmora::uninstall
