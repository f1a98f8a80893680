// Why the target directory page refuses a folder, in the page's language.
// The one target rule (contract/PathRules.h) decides; this only words it.
#pragma once

#include <string>

#include "contract/PathRules.h"

namespace pelmora::pages {

// `reason`: one of the target folder's (NotAbsolute ... InsideWindows).
std::string TargetRefusedText(contract::Reason reason, bool english);

// The same for any refusal of the target: besides those reasons, a folder
// of its chain that other accounts could change (LinkedFolder ...
// WritableTarget), named by the refusal's detail.
std::string TargetRefusedText(const contract::Refusal& refusal, bool english);

}  // namespace pelmora::pages
