// The language of the setup and of the uninstaller, chosen by the same rule
// so that a product is removed in the language it was installed in.
#pragma once

#include <string_view>

namespace pelmora::contract {

// German when the system's language name begins with "Deutsch" (whatever the
// country behind it), English otherwise, an unknown language included.
constexpr bool UsesEnglish(std::string_view systemLanguageName) {
  return !systemLanguageName.starts_with("Deutsch");
}

}  // namespace pelmora::contract
