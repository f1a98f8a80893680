#include "contract/RegistryPath.h"

namespace pelmora::contract {

std::string NormalizeRegistryKeyPath(std::string_view keyPath) {
  const auto first = keyPath.find_first_not_of('\\');
  if (first == std::string_view::npos) return {};
  const auto last = keyPath.find_last_not_of('\\');
  return std::string(keyPath.substr(first, last - first + 1));
}

bool NamesRootKey(std::string_view keyPath) { return NormalizeRegistryKeyPath(keyPath).empty(); }

}  // namespace pelmora::contract
