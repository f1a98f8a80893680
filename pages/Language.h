// The wizard's language: German when the system's language name begins
// with "Deutsch", English otherwise.
#pragma once

#include <string_view>

namespace pelmora::pages {

inline bool IsGermanLanguageName(std::string_view languageName) {
  return languageName.substr(0, 7) == "Deutsch";
}

}  // namespace pelmora::pages
