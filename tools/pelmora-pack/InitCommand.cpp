#include "tools/pelmora-pack/InitCommand.h"

#include <algorithm>
#include <stdexcept>
#include <system_error>
#include <vector>

#include "acewriter/Cp1252.h"
#include "contract/PathRules.h"
#include "contract/ProductFiles.h"
#include "contract/UninstallEntry.h"
#include "tools/pelmora-pack/Manifest.h"
#include "tools/pelmora-pack/PayloadIndex.h"

namespace pelmora::pack {

namespace fs = std::filesystem;

namespace {

struct PayloadFile {
  std::string name;  // UTF-8, '\' between folders
  std::size_t depth = 0;
};

std::string Utf8(const fs::path& path) {
  const std::u8string text = path.generic_u8string();
  return std::string(text.begin(), text.end());
}

std::vector<PayloadFile> ListFiles(const fs::path& payload) {
  std::error_code error;
  if (!fs::is_directory(payload, error))
    throw std::runtime_error("init: " + payload.string() + " is no folder");
  std::vector<PayloadFile> files;
  fs::recursive_directory_iterator it(payload, error), end;
  for (; !error && it != end; it.increment(error)) {
    if (!it->is_regular_file(error)) continue;
    const fs::path relative = it->path().lexically_relative(payload);
    std::string name = Utf8(relative);
    std::replace(name.begin(), name.end(), '/', '\\');
    files.push_back({std::move(name),
                     static_cast<std::size_t>(std::distance(relative.begin(), relative.end()))});
  }
  if (error)
    throw std::runtime_error("init: cannot read " + payload.string() + ": " + error.message());
  std::sort(files.begin(), files.end(),
            [](const PayloadFile& a, const PayloadFile& b) { return a.name < b.name; });
  return files;
}

// The payload folder's own name, when the setup can use it as product
// name, Uninstall key name and folder name alike; otherwise a placeholder.
std::string ProductName(const fs::path& payload) {
  const fs::path absolute = fs::absolute(payload).lexically_normal();
  std::string name =
      Utf8(absolute.has_filename() ? absolute.filename() : absolute.parent_path().filename());
  const std::optional<std::string> cp1252 = acewriter::Utf8ToCp1252(name);
  if (name.empty() || !cp1252 || contract::NameProblem(*cp1252) ||
      contract::CheckUninstallKeyName(*cp1252))
    return "My Product";
  return name;
}

const PayloadFile* MainProgram(const std::vector<PayloadFile>& files) {
  const PayloadFile* found = nullptr;
  for (const PayloadFile& f : files) {
    // The setup installs the uninstaller itself; it is no main program.
    const std::string base = f.name.substr(f.name.rfind('\\') + 1);
    if (!FoldCase(f.name).ends_with(".exe") ||
        FoldCase(base) == FoldCase(contract::kUninstallerFileName))
      continue;
    if (!found || f.depth < found->depth) found = &f;
  }
  return found;
}

}  // namespace

std::string SampleManifest(const fs::path& payload) {
  const std::vector<PayloadFile> files = ListFiles(payload);
  const std::string product = ProductName(payload);
  const PayloadFile* program = MainProgram(files);

  std::string m;
  m += "# Manifest for pelmora-pack build (README.md, section \"pelmora-pack\").\n";
  m += "# Lines are [section], name = value, or comments starting with # or ;.\n";
  m += "# Saved as UTF-8 or as Windows-1252 (\"ANSI\"); texts must fit Windows-1252.\n";
  m += "#\n# The payload folder holds " + std::to_string(files.size()) +
       " file(s); the archive carries all of them:\n";
  for (const PayloadFile& f : files) m += "#   " + f.name + "\n";
  m += "\n[product]\n";
  m += "# The name shown on the wizard's pages and in Windows' list of programs.\n";
  m += "name = " + product + "\n";
  m += "# Four numbers; a later setup compares them with the installed version.\n";
  m += "version = 1.0.0.0\n";
  m += "# The product's entry below " + std::string(contract::kUninstallKeyParent) + ":\n";
  m += "# one name, never changed between versions, so that an update finds the\n";
  m += "# installed one.\n";
  m += "uninstall-key = " + product + "\n";
  m += "# The folder the wizard proposes; the user may choose another.\n";
  m += "directory = C:\\Program Files\\" + product + "\n";
  m += "# The program the finished page offers to start (its box is ticked), in\n";
  m += "# the payload.\n";
  if (program)
    m += "program = " + program->name + "\n";
  else
    m += "# program = bin\\product.exe\n";
  m += "# A text file (beside this manifest) for the wizard's information page.\n";
  m += "# information = readme.txt\n";
  m += "# yes: the setup installs the uninstaller, an Uninstall entry and an\n";
  m += "# \"Uninstall\" shortcut beside the product's own in the Start menu.\n";
  m += "# uninstaller = yes\n";
  m += "# The name of the one setup file that build --single-file writes.\n";
  m += std::string("# setup-file = ") + kDefaultSetupFileName + "\n";
  m += "\n# Empty registry keys the setup creates below HKEY_CURRENT_USER (and the\n";
  m += "# uninstaller removes): Software\\Vendor or below. Values come from a\n";
  m += "# registry.reg in the payload (README, \"The installation run\").\n";
  m += "[registry]\n# key = Software\\Vendor\\" + product + "\n";
  m += "\n# Start-menu shortcuts, one section each: a group (folder) below the\n";
  m += "# Programs folder, the shortcut's name, the file it starts and its icon.\n";
  if (program) {
    m += "[shortcut]\ngroup = " + product + "\nname = " + product + "\n";
    m += "target = " + program->name +
         "\n# icon = " + program->name.substr(0, program->name.size() - 4) + ".ico\n";
  } else {
    m += "# [shortcut]\n# group = " + product + "\n# name = " + product +
         "\n# target = bin\\product.exe\n";
  }
  m += "\n# The Uninstall entry's support values; left out: empty.\n";
  m += "[support]\n# publisher = Example Software Ltd\n# about-url = https://example.org/\n";
  m += "# update-url = https://example.org/update\n# help-link = https://example.org/help\n";
  m += "# help-telephone = +1 555 0100\n# contact = support@example.org\n";
  m += "# readme = https://example.org/readme (a web address or full path: the\n";
  m += "#   value is written as it stands, a bare name is no use to Windows)\n";
  m += "# comments =\n";
  m += "\n# Files (relative to the installed folder) a complete repair deletes first.\n";
  m += "[config-files]\n# file = settings.ini\n";
  m += "\n# How the payload is packed; the defaults give the smallest medium.\n";
  m += "[archive]\n# method = ace20\n# level = 5\n# solid = yes\n";
  m += "# password = only printable ASCII, at most 50 characters\n";
  m += "# volume-size = 1440k\n";
  return m;
}

}  // namespace pelmora::pack
