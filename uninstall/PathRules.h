// Which paths of a protocol the uninstaller may delete. The protocol is a
// text file in a folder the product owns, and the uninstaller usually runs
// with administrator rights, so a path counts only when it plainly lies
// below the target folder the protocol names: same drive, the target's
// folders first (compared as Windows compares names), no "." or "..", no
// stream, network or device form that could lead elsewhere.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "uninstall/Reasons.h"

namespace pelmora::uninstall {

// A path split on "\" and "/"; the first component is the drive ("C:").
std::vector<std::string_view> PathComponents(std::string_view path);

// How many components a checked path has: the deeper, the earlier it goes.
std::size_t PathDepth(std::string_view path);

// Orders folders so that each comes before the folders holding it; folders
// of equal depth keep their order.
void SortDeepestFirst(std::vector<std::string>& folders);

struct CheckedPath {
  std::string path;   // rebuilt from the checked components, joined by "\"
  std::size_t below;  // components below the target: 0 names the target itself
};

// A Start-menu group: one or more folder names below the Programs folder,
// never an absolute path, a drive or a way up. The empty name is the
// Programs folder itself (its uninstall shortcut only). Returns the name
// with "\" between its folders, or why it is refused.
std::variant<std::string, Reason> CheckGroupName(std::string_view group);

class TargetFolder {
 public:
  // The target folder of a protocol: a local folder below a drive's root.
  static std::variant<TargetFolder, Rejection> Parse(std::string_view path);

  // "C:\...\", with a trailing "\".
  const std::string& Path() const { return path_; }

  // The path as it may be deleted, or why it may not.
  std::variant<CheckedPath, Reason> Check(std::string_view path) const;

 private:
  TargetFolder() = default;
  std::vector<std::string> components_;
  std::string path_;
};

}  // namespace pelmora::uninstall
