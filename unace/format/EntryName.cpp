#include "unace/format/EntryName.h"

#include "contract/PathRules.h"

namespace pelmora::unace::format {

std::optional<std::string> UnsafeNameReason(std::string_view name) {
  if (name.empty()) return "empty name";
  // A folder entry may be stored as "dir\": one trailing separator names
  // the same folder.
  if (name.size() > 1 && (name.back() == '\\' || name.back() == '/')) name.remove_suffix(1);
  const std::optional<contract::Refusal> refusal = contract::RelativePathProblem(name);
  if (!refusal) return std::nullopt;
  if (refusal->reason == contract::Reason::ParentReference) return "'.' or '..' component";
  return "not a plain relative name (a drive, a separator at the start or doubled, a stream, "
         "wildcard, control or device name, or a name ending in a dot or blank)";
}

}  // namespace pelmora::unace::format
