#include "contract/PathRules.h"

#include <algorithm>

#include "contract/AnsiText.h"

namespace pelmora::contract {
namespace {

bool IsDrive(std::string_view component) {
  if (component.size() != 2 || component[1] != ':') return false;
  const char letter = component[0];
  return (letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z');
}

// The digits Windows takes after COM and LPT: 0 to 9 and the code page's
// superscript one, two and three.
bool IsPortDigit(char c) {
  return (c >= '0' && c <= '9') || c == '\xB9' || c == '\xB2' || c == '\xB3';
}

}  // namespace

bool IsDeviceName(std::string_view name) {
  // Windows reads a device into the name before its first dot, and before
  // blanks it would drop: "nul.txt", "CON .log" and "com1" all open a device
  // whatever folder they stand in.
  std::string_view stem = name.substr(0, name.find('.'));
  while (!stem.empty() && stem.back() == ' ') stem.remove_suffix(1);
  for (std::string_view device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"})
    if (EqualsIgnoreCaseAnsi(stem, device)) return true;
  return stem.size() == 4 &&
         (EqualsIgnoreCaseAnsi(stem.substr(0, 3), "COM") ||
          EqualsIgnoreCaseAnsi(stem.substr(0, 3), "LPT")) &&
         IsPortDigit(stem[3]);
}

std::optional<Refusal> NameProblem(std::string_view name) {
  if (name == "." || name == "..") return Reason::ParentReference;
  // Windows drops trailing dots and blanks ("..." and "a." would name other
  // things than they say), ":" opens an alternate stream, and the wildcard
  // and quoting characters are in no file name.
  if (name.empty() || name.back() == '.' || name.back() == ' ') return Reason::NotPlainPath;
  for (const char c : name)
    if (static_cast<unsigned char>(c) < 32 || c == 0x7F ||
        std::string_view(":*?\"<>|\\/").find(c) != std::string_view::npos)
      return Reason::NotPlainPath;
  if (IsDeviceName(name)) return Reason::NotPlainPath;
  return std::nullopt;
}

std::optional<Refusal> RelativePathProblem(std::string_view path) {
  // A leading separator or a drive would leave the folder the path is
  // joined to; a doubled or trailing one is an empty name.
  for (std::string_view name : PathComponents(path))
    if (std::optional<Refusal> problem = NameProblem(name)) return problem;
  return std::nullopt;
}

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

bool SamePath(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const bool separators = (a[i] == '\\' || a[i] == '/') && (b[i] == '\\' || b[i] == '/');
    if (!separators && UpperAnsi(a[i]) != UpperAnsi(b[i])) return false;
  }
  return true;
}

std::size_t PathDepth(std::string_view path) {
  std::vector<std::string_view> components = PathComponents(path);
  if (!components.empty() && components.back().empty()) components.pop_back();
  return components.size();
}

// Sorted by counting: each folder's depth taken once, then each moved to
// its place, in linear time; folders of one depth keep their order. (A
// comparison sort that keeps equal ones in order brought 2 KB of merge code
// into both programs.)
void SortDeepestFirst(std::vector<std::string>& folders) {
  std::vector<std::size_t> depths;
  depths.reserve(folders.size());
  std::size_t deepest = 0;
  for (const std::string& folder : folders) {
    depths.push_back(PathDepth(folder));
    deepest = std::max(deepest, depths.back());
  }
  // next[deepest - depth]: where the next folder of that depth goes, after
  // all deeper ones (counted one place further on, then summed up).
  std::vector<std::size_t> next(deepest + 1, 0);
  for (const std::size_t depth : depths)
    if (depth > 0) ++next[deepest - depth + 1];
  for (std::size_t i = 1; i < next.size(); ++i) next[i] += next[i - 1];
  std::vector<std::string> sorted(folders.size());
  for (std::size_t i = 0; i < folders.size(); ++i)
    sorted[next[deepest - depths[i]]++] = std::move(folders[i]);
  folders = std::move(sorted);
}

std::variant<std::string, Refusal> CheckGroupName(std::string_view group) {
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

std::variant<TargetFolder, Refusal> TargetFolder::Parse(std::string_view path) {
  if (path.starts_with("\\\\") || path.starts_with("//")) return Reason::NetworkPath;
  std::vector<std::string_view> components = PathComponents(path);
  // One trailing separator is how the setup writes every folder.
  if (components.size() > 1 && components.back().empty()) components.pop_back();
  if (!IsDrive(components.front()) || components.size() < 2) {
    // "C:" alone and "C:\" are the drive's root; "C:Tool" is relative.
    return Refusal(IsDrive(components.front()) ? Reason::DriveRoot : Reason::NotAbsolute);
  }
  TargetFolder target;
  for (std::size_t i = 0; i < components.size(); ++i) {
    if (i > 0 && NameProblem(components[i])) return Reason::InvalidName;
    target.components_.emplace_back(components[i]);
    target.path_ += components[i];
    target.path_ += '\\';
  }
  return target;
}

std::optional<Refusal> TargetFolder::CheckAgainst(const SystemFolders& system) const {
  const auto holds = [this](const std::string& folder) {
    return !folder.empty() && std::holds_alternative<CheckedPath>(Check(folder));
  };
  if (!system.windows.empty()) {
    const auto windows = Parse(system.windows);
    const TargetFolder* folder = std::get_if<TargetFolder>(&windows);
    if (folder && std::holds_alternative<CheckedPath>(folder->Check(path_)))
      return Reason::InsideWindows;
  }
  if (holds(system.windows)) return Reason::SystemFolder;
  for (const std::string& folder : system.others)
    if (holds(folder)) return Reason::SystemFolder;
  return std::nullopt;
}

std::vector<std::string> TargetFolder::Parents() const {
  std::vector<std::string> parents;
  std::string path = components_.front() + "\\";
  for (std::size_t i = 1; i + 1 < components_.size(); ++i) {
    path += components_[i] + "\\";
    parents.push_back(path);
  }
  return parents;
}

std::optional<Refusal> CheckTargetFolder(std::string_view path, const SystemFolders& system) {
  auto parsed = TargetFolder::Parse(path);
  if (Refusal* refusal = std::get_if<Refusal>(&parsed)) return std::move(*refusal);
  return std::get<TargetFolder>(parsed).CheckAgainst(system);
}

std::string AsTargetText(std::string_view path) {
  std::string text(path);
  std::replace(text.begin(), text.end(), '/', '\\');
  if (text.empty() || text.back() != '\\') text += '\\';
  return text;
}

std::optional<Refusal> CheckDefaultFolder(std::string_view path) {
  const std::string text = AsTargetText(path);
  auto parsed = TargetFolder::Parse(text);
  if (Refusal* refusal = std::get_if<Refusal>(&parsed)) return std::move(*refusal);
  // The machine it will run on is unknown: its folders are judged by the
  // names Windows gives them on the default's own drive.
  const std::string drive = text.substr(0, 2) + "\\";
  SystemFolders usual;
  for (std::string_view folder : kUsualSharedFolders)
    usual.others.push_back(drive + std::string(folder));
  for (std::string_view windows : kUsualWindowsFolders) {
    usual.windows = drive + std::string(windows);
    if (std::optional<Refusal> refusal = std::get<TargetFolder>(parsed).CheckAgainst(usual))
      return refusal;
  }
  return std::nullopt;
}

std::variant<CheckedPath, Refusal> TargetFolder::Check(std::string_view path) const {
  std::vector<std::string_view> components = PathComponents(path);
  if (components.size() > 1 && components.back().empty()) components.pop_back();
  // "\\server\share", "\\?\C:\..." and "\Windows" all start with an empty
  // component: none is a plain local path.
  if (!IsDrive(components.front())) return Reason::NotPlainPath;
  for (std::size_t i = 1; i < components.size(); ++i)
    if (std::optional<Refusal> problem = NameProblem(components[i])) return std::move(*problem);
  if (components.size() < components_.size()) return Reason::OutsideTarget;
  for (std::size_t i = 0; i < components_.size(); ++i)
    if (!EqualsIgnoreCaseAnsi(components[i], components_[i])) return Reason::OutsideTarget;

  CheckedPath checked{path_, components.size() - components_.size()};
  for (std::size_t i = components_.size(); i < components.size(); ++i) {
    if (i > components_.size()) checked.path += '\\';
    checked.path += components[i];
  }
  return checked;
}

}  // namespace pelmora::contract
