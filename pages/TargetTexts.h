// Why the target directory page refuses a folder, in the page's language.
// The one target rule (contract/PathRules.h) decides; this only words it.
#pragma once

#include <string>

#include "contract/PathRules.h"

namespace pelmora::pages {

std::string TargetRefusedText(contract::TargetRefusal refusal, bool english);

}  // namespace pelmora::pages
