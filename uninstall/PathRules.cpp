#include "uninstall/PathRules.h"

#include <algorithm>

#include "winsupport/AnsiText.h"

namespace pelmora::uninstall {
namespace {

bool IsDrive(std::string_view component) {
  if (component.size() != 2 || component[1] != ':') return false;
  const char letter = component[0];
  return (letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z');
}

// A folder or file name Windows would take as written. Windows drops
// trailing dots and blanks ("..." and "a." would name other things than
// they say), ":" opens an alternate stream, and the wildcard and quoting
// characters are in no file name.
std::optional<Reason> NameProblem(std::string_view name) {
  if (name == "." || name == "..") return Reason::ParentReference;
  if (name.empty() || name.back() == '.' || name.back() == ' ') return Reason::NotPlainPath;
  for (const char c : name)
    if (static_cast<unsigned char>(c) < 32 ||
        std::string_view(":*?\"<>|").find(c) != std::string_view::npos)
      return Reason::NotPlainPath;
  return std::nullopt;
}

}  // namespace

std::vector<std::string_view> PathComponents(std::string_view path) {
  std::vector<std::string_view> components;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = path.find_first_of("\\/", start);
    components.push_back(path.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos) return components;
    start = end + 1;
  }
}

std::size_t PathDepth(std::string_view path) {
  std::vector<std::string_view> components = PathComponents(path);
  if (!components.empty() && components.back().empty()) components.pop_back();
  return components.size();
}

void SortDeepestFirst(std::vector<std::string>& folders) {
  std::stable_sort(folders.begin(), folders.end(), [](const std::string& a, const std::string& b) {
    return PathDepth(a) > PathDepth(b);
  });
}

std::variant<std::string, Reason> CheckGroupName(std::string_view group) {
  if (group.empty()) return std::string();
  std::string checked;
  for (std::string_view name : PathComponents(group)) {
    // A leading separator, a doubled one or a trailing one: not a plain name.
    if (name.empty()) return Reason::MalformedGroup;
    if (NameProblem(name)) return Reason::MalformedGroup;
    if (!checked.empty()) checked += '\\';
    checked += name;
  }
  return checked;
}

std::variant<TargetFolder, Rejection> TargetFolder::Parse(std::string_view path) {
  std::vector<std::string_view> components = PathComponents(path);
  // One trailing separator is how the setup writes every folder.
  if (components.size() > 1 && components.back().empty()) components.pop_back();
  if (!IsDrive(components.front())) return Rejection::TargetNotLocal;
  if (components.size() < 2) return Rejection::TargetIsDriveRoot;
  TargetFolder target;
  for (std::size_t i = 0; i < components.size(); ++i) {
    if (i > 0 && NameProblem(components[i])) return Rejection::TargetNotLocal;
    target.components_.emplace_back(components[i]);
    target.path_ += components[i];
    target.path_ += '\\';
  }
  return target;
}

std::variant<CheckedPath, Reason> TargetFolder::Check(std::string_view path) const {
  std::vector<std::string_view> components = PathComponents(path);
  if (components.size() > 1 && components.back().empty()) components.pop_back();
  // "\\server\share", "\\?\C:\..." and "\Windows" all start with an empty
  // component: none is a plain local path.
  if (!IsDrive(components.front())) return Reason::NotPlainPath;
  for (std::size_t i = 1; i < components.size(); ++i)
    if (const std::optional<Reason> problem = NameProblem(components[i])) return *problem;
  if (components.size() < components_.size()) return Reason::OutsideTarget;
  for (std::size_t i = 0; i < components_.size(); ++i)
    if (!winsupport::EqualsIgnoreCaseAnsi(components[i], components_[i]))
      return Reason::OutsideTarget;

  CheckedPath checked{path_, components.size() - components_.size()};
  for (std::size_t i = components_.size(); i < components.size(); ++i) {
    if (i > components_.size()) checked.path += '\\';
    checked.path += components[i];
  }
  return checked;
}

}  // namespace pelmora::uninstall
