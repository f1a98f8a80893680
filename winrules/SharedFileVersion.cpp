#include "winrules/SharedFileVersion.h"

namespace pelmora::winrules {

bool ReplacesSharedCopy(std::optional<FileVersionNumber> incoming,
                        std::optional<FileVersionNumber> installed) {
  // An empty optional orders before every value.
  return !(incoming < installed);
}

}  // namespace pelmora::winrules
