// Which folder a product may be installed into, and which paths below it
// the setup writes and the uninstaller may delete: one rule for the target
// page, the installation and the uninstaller. The protocol is a text file
// in a folder the product owns, and both programs usually run with
// administrator rights, so a path counts only when it plainly lies below
// the target folder: same drive, the target's folders first (compared as
// Windows compares names), no "." or "..", no stream, network or device
// form that could lead elsewhere.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "contract/Refusal.h"

namespace pelmora::contract {

// A path split on "\" and "/"; the first component is the drive ("C:").
std::vector<std::string_view> PathComponents(std::string_view path);

// Whether Windows opens a device for this name in any folder: CON, PRN, AUX,
// NUL, COM0..COM9, LPT0..LPT9 and COM/LPT with the superscript digits
// (Windows-1252 0xB9, 0xB2, 0xB3), in any case, with any extension.
bool IsDeviceName(std::string_view name);

// The one name rule: whether one name of a file, a folder, a Start-menu
// group's folder or a shortcut is one Windows takes as written (nothing:
// it is). "." and ".." are ParentReference; an empty name, a trailing dot or
// blank, a separator, ":", a wildcard or quoting character, a control
// character or a device name are NotPlainPath.
std::optional<Refusal> NameProblem(std::string_view name);

// A path below a folder (an archive entry, a configuration file, a COM
// server): one or more names, "\" or "/" between them, each passing
// NameProblem; never a drive, a leading, doubled or trailing separator.
std::optional<Refusal> RelativePathProblem(std::string_view path);

// Whether two paths name the same file as Windows reads them: letters
// compared without case, "/" and "\\" alike.
bool SamePath(std::string_view a, std::string_view b);

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
std::variant<std::string, Refusal> CheckGroupName(std::string_view group);

// The folders no product owns, as the running Windows names them: the
// Windows folder, and the others (system, program files, profiles, ...).
struct SystemFolders {
  std::string windows;
  std::vector<std::string> others;
};

class TargetFolder {
 public:
  // A local folder below a drive's root, with names Windows takes as written;
  // refused as NotAbsolute, NetworkPath, InvalidName or DriveRoot.
  static std::variant<TargetFolder, Refusal> Parse(std::string_view path);

  // "C:\...\", with a trailing "\".
  const std::string& Path() const { return path_; }

  // The path as it may be deleted, or why it may not.
  std::variant<CheckedPath, Refusal> Check(std::string_view path) const;

  // Whether this folder is, holds (SystemFolder) or lies in (InsideWindows)
  // one of the system folders.
  std::optional<Refusal> CheckAgainst(const SystemFolders& system) const;

  // The folders holding this one, from the drive's first level down, each
  // ending in "\"; the setup makes those that are missing.
  std::vector<std::string> Parents() const;

 private:
  TargetFolder() = default;
  std::vector<std::string> components_;
  std::string path_;
};

// The one target rule: a folder the target page accepts, the setup
// installs into and the uninstaller removes from.
std::optional<Refusal> CheckTargetFolder(std::string_view path, const SystemFolders& system);

// A folder as the target page reads what is typed: "/" is "\", and it ends
// in "\".
std::string AsTargetText(std::string_view path);

// The names Windows gives its own folder and the folders of all users
// below a drive's root, in the languages the setup speaks. Where the
// machine is not known (a description's default, judged when it is built
// and read), these stand in for what the running Windows reports.
inline constexpr std::string_view kUsualWindowsFolders[] = {"WINDOWS", "WINNT"};
inline constexpr std::string_view kUsualSharedFolders[] = {
    "Program Files",
    "Program Files (x86)",
    "Program Files\\Common Files",
    "Programme",
    "Programme\\Gemeinsame Dateien",
    "ProgramData",
    "Documents and Settings",
    "Documents and Settings\\All Users",
    "Dokumente und Einstellungen",
    "Dokumente und Einstellungen\\All Users",
    "Users",
    "Users\\Public",
};

// A description's default target folder ("/" read as "\"): a folder every
// setup would accept on a drive named as written, and none of the usual
// Windows or all-users folders there (the reasons of CheckTargetFolder).
std::optional<Refusal> CheckDefaultFolder(std::string_view path);

}  // namespace pelmora::contract
