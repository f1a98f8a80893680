#include "tools/pelmora-pack/ManifestChecks.h"

#include <array>
#include <optional>

#include "acewriter/ArchiveWriter.h"
#include "acewriter/Cp1252.h"
#include "contract/AnsiText.h"
#include "contract/KeyRules.h"
#include "contract/PathRules.h"
#include "contract/ProductFiles.h"
#include "contract/UninstallEntry.h"
#include "pages/ExistingInstallation.h"
#include "setupdesc/SetupDescReader.h"

namespace pelmora::pack {

namespace {

// A value that reads as one of these would end or open a section of
// install.pmd where the setup program does not expect it.
constexpr std::array<const char*, 11> kSectionMarkers = {
    "<begininfos>",        "<endinfos>",         "<beginregistry>", "<endregistry>",
    "<beginregisterocx>",  "<endregisterocx>",   "<beginicons>",    "<endicons>",
    "<beginsupportinfos>", "<beginConfigFiles>", "<endConfigFiles>"};

bool IsSectionMarker(const std::string& text) {
  for (const char* marker : kSectionMarkers)
    if (text == marker) return true;
  return false;
}

bool HasControlCharacter(const std::string& text) {
  for (unsigned char c : text)
    if (c < 0x20 || c == 0x7F) return true;
  return false;
}

// The setup refuses what breaks the one name rule (contract::NameProblem).
constexpr const char* kNameRule =
    "a name may not be a device name (CON, NUL, COM1, LPT1, ...), end in a dot or blank, or "
    "hold \\ / : * ? \" < > |";

bool IsBlank(const std::string& text) { return text.find_first_not_of(' ') == std::string::npos; }

std::string KeyRefusalText(contract::Reason reason) {
  switch (reason) {
    case contract::Reason::SharedKey:
      return "Windows or other software shares it (Software itself, Software\\Classes, "
             "Software\\Microsoft, Software\\Policies, Software\\ODBC, ...)";
    case contract::Reason::OutsideSoftware:
      return "a product's key lies below Software, such as Software\\Company or "
             "Software\\Company\\Product";
    case contract::Reason::MalformedKey:
      return "it has an empty name between two backslashes";
    case contract::Reason::WrongRoot:
      return "the setup creates keys below HKEY_CURRENT_USER only";
    default:
      return "it names the root key itself";
  }
}

// Why every setup would refuse the default folder, for the vendor.
std::string FolderRefusalText(contract::Reason reason) {
  switch (reason) {
    case contract::Reason::NetworkPath:
      return "is a network path (\\\\server\\share\\...), which the setup and the uninstaller "
             "may see differently";
    case contract::Reason::DriveRoot:
      return "is a drive's root folder: everything on the drive would count as the product's";
    case contract::Reason::InvalidName:
      return "holds a name Windows does not take as written (\".\", \"..\", a device name such "
             "as CON or COM1, a name ending in a dot or blank, or : * ? \" < > |)";
    case contract::Reason::InsideWindows:
      return "lies in the Windows folder (C:\\WINDOWS, C:\\WINNT)";
    case contract::Reason::SystemFolder:
      return "is or holds a folder of Windows or of all users (C:\\Program Files, "
             "C:\\Programme, C:\\Users, ...): install into a folder below it";
    default:
      return "must be an absolute folder such as C:\\Program Files\\Company\\Product";
  }
}

// The existing-installation page reads a version as four integers at its
// dots and compares their low 16 bits; a sign, a leading zero's twin
// ("1.0" and "1.00") or 65536 would compare other than it reads. Only four
// plain numbers 0..65535 compare as the vendor wrote them.
bool IsComparableVersion(const std::string& text) {
  if (std::holds_alternative<contract::Refusal>(pages::IsOlderVersion(text, "0.0.0.0")))
    return false;
  std::size_t numbers = 0, digits = 0;
  unsigned long value = 0;
  for (const char c : text + ".") {
    if (c == '.') {
      if (digits == 0 || value > 65535) return false;
      ++numbers;
      digits = 0;
      value = 0;
    } else if (c < '0' || c > '9' || ++digits > 5) {
      return false;
    } else {
      value = value * 10 + static_cast<unsigned long>(c - '0');
    }
  }
  return numbers == 4;
}

// A root in front of a [registry] line would be written as a key name of
// its own: the setup puts every line below HKEY_CURRENT_USER as it stands.
bool HasRootPrefix(const std::string& key) {
  std::string_view first = key;
  while (!first.empty() && first.front() == '\\') first.remove_prefix(1);
  first = first.substr(0, first.find('\\'));
  for (const char* shortName : {"HKCU", "HKLM", "HKCR", "HKU", "HKCC"})
    if (contract::EqualsIgnoreCaseAnsi(first, shortName)) return true;
  return first.size() > 5 && contract::EqualsIgnoreCaseAnsi(first.substr(0, 5), "HKEY_");
}

class Checker {
 public:
  Checker(const Manifest& m, const PayloadIndex& payload) : m_(m), payload_(payload) {}

  std::vector<ManifestProblem> Run() {
    CheckProduct();
    CheckList(m_.registryKeys, kMaxRegistryKeys, "[registry] key");
    for (const ManifestValue& key : m_.registryKeys) {
      if (!Plain(key)) continue;
      if (IsBlank(key.text)) {
        Bad(key, "is empty");
      } else if (HasRootPrefix(key.text)) {
        Bad(key, "\"" + ForMessage(key.text) +
                     "\" names a root key: write the key without it, as Software\\Company\\"
                     "Product; the setup creates every key below HKEY_CURRENT_USER");
      } else if (const auto checked = contract::CheckSettingsKey(key.text);
                 const contract::Refusal* refusal = std::get_if<contract::Refusal>(&checked)) {
        // The setup wipes these keys in a complete repair and the
        // uninstaller deletes them: a shared one would take others' with it.
        Bad(key, "\"" + ForMessage(key.text) +
                     "\" is not a key of the product's own: " + KeyRefusalText(refusal->reason));
      }
    }
    CheckList(m_.comServers, kMaxComServers, "[com] server");
    for (const ManifestValue& server : m_.comServers) InPayload(server, "the COM server");
    CheckShortcuts();
    for (const ManifestValue& value : m_.support) Plain(value);
    for (const ManifestValue& file : m_.configFiles) {
      Plain(file);
      if (const std::optional<std::string> problem = acewriter::MemberNameProblem(file.text))
        Bad(file, "must name a file relative to the target folder: " + *problem);
    }
    return std::move(problems_);
  }

 private:
  void Bad(const ManifestValue& v, std::string message) {
    problems_.push_back({v.line, v.field, std::move(message)});
  }

  // Present, not empty, and no section marker.
  bool Required(const ManifestValue& v, const char* field) {
    if (!v.Given()) {
      problems_.push_back({0, field, "is missing"});
      return false;
    }
    if (v.text.empty()) {
      Bad(v, "is empty");
      return false;
    }
    return Plain(v);
  }

  bool Plain(const ManifestValue& v) {
    if (!IsSectionMarker(v.text)) return true;
    Bad(v, "\"" + v.text + "\" is a section marker of " + contract::kDescriptionFileName);
    return false;
  }

  void InPayload(const ManifestValue& v, const char* what) {
    if (!Plain(v)) return;
    if (const std::optional<std::string> problem = acewriter::MemberNameProblem(v.text))
      return Bad(v, "must name a file of the payload folder with \\ between folders: " + *problem);
    if (!payload_.HasFile(v.text))
      Bad(v, std::string(what) + " " + ForMessage(v.text) + " is not in the payload");
  }

  void CheckProduct() {
    Required(m_.productName, "[product] name");
    if (Required(m_.productVersion, "[product] version") &&
        !IsComparableVersion(m_.productVersion.text))
      Bad(m_.productVersion,
          "\"" + ForMessage(m_.productVersion.text) +
              "\" is not four numbers 0..65535 with dots between them, such as 1.2.0.0: the "
              "setup compares versions in that form only");
    if (Required(m_.uninstallKey, "[product] uninstall-key") &&
        contract::CheckUninstallKeyName(m_.uninstallKey.text))
      Bad(m_.uninstallKey,
          "must be one key name, not empty and without \\: the product's entry in the list of "
          "installed programs may not lie inside another's");
    if (Required(m_.directory, "[product] directory"))
      if (const auto refusal = contract::CheckDefaultFolder(m_.directory.text))
        Bad(m_.directory, "\"" + ForMessage(m_.directory.text) + "\" " +
                              FolderRefusalText(refusal->reason) + "; every setup would refuse it");
    if (m_.program.Given()) InPayload(m_.program, "the main program");
    if (m_.uninstaller.Given() && m_.uninstaller.text != "yes" && m_.uninstaller.text != "no")
      Bad(m_.uninstaller, "must be yes or no, not \"" + ForMessage(m_.uninstaller.text) + "\"");
    if (m_.setupFile.Given()) {
      const std::string& name = m_.setupFile.text;
      const bool exe = name.size() > 4 && FoldCase(name.substr(name.size() - 4)) == ".exe";
      if (!exe || contract::NameProblem(name) ||
          FoldCase(name) == FoldCase(contract::kUninstallerFileName))
        Bad(m_.setupFile,
            "is the one-file setup's name: one file name ending in .exe, other "
            "than " +
                std::string(contract::kUninstallerFileName) + "; " + std::string(kNameRule));
    }
  }

  void CheckList(const std::vector<ManifestValue>& list, std::size_t limit, const char* field) {
    if (list.size() <= limit) return;
    Bad(list[limit], std::string("one entry too many: ") + contract::kDescriptionFileName +
                         " holds at most " + std::to_string(limit) + " " + field + " entries");
  }

  void CheckShortcuts() {
    if (m_.shortcuts.size() > kMaxShortcuts)
      problems_.push_back({m_.shortcuts[kMaxShortcuts].line, "[shortcut]",
                           std::string("one entry too many: ") + contract::kDescriptionFileName +
                               " holds at most " + std::to_string(kMaxShortcuts) + " shortcuts"});
    for (const ShortcutEntry& s : m_.shortcuts) {
      const std::string at = " of the [shortcut] on line " + std::to_string(s.line);
      if (Required(s.group, ("[shortcut] group" + at).c_str()) &&
          std::holds_alternative<contract::Refusal>(contract::CheckGroupName(s.group.text)))
        Bad(s.group,
            "is one or more folder names below the Start menu's Programs folder, "
            "\\ between them; " +
                std::string(kNameRule));
      if (Required(s.name, ("[shortcut] name" + at).c_str()) && contract::NameProblem(s.name.text))
        Bad(s.name, "is one file name in the Start menu; " + std::string(kNameRule));
      if (Required(s.target, ("[shortcut] target" + at).c_str()))
        InPayload(s.target, "the shortcut's target");
      if (!s.icon.Given()) continue;
      if (s.icon.text == "icon")
        Bad(s.icon, std::string("\"icon\" means no icon file in ") +
                        contract::kDescriptionFileName + "; leave the field out instead");
      else
        InPayload(s.icon, "the icon file");
    }
  }

  const Manifest& m_;
  const PayloadIndex& payload_;
  std::vector<ManifestProblem> problems_;
};

}  // namespace

std::vector<ManifestProblem> CheckManifest(const Manifest& manifest, const PayloadIndex& payload) {
  return Checker(manifest, payload).Run();
}

std::vector<std::string> InformationLines(std::string_view fileBytes, const ManifestValue& source,
                                          std::vector<ManifestProblem>& problems) {
  std::vector<std::string> lines;
  const std::vector<std::string> raw = setupdesc::SplitLines(TextAsUtf8(fileBytes));
  for (std::size_t i = 0; i < raw.size(); ++i) {
    const auto fail = [&](const std::string& what) {
      problems.push_back({source.line, source.field,
                          ForMessage(source.text) + " line " + std::to_string(i + 1) + " " + what});
    };
    const std::optional<std::string> line = acewriter::Utf8ToCp1252(raw[i]);
    if (!line) {
      fail("holds a character that Windows-1252 cannot represent");
      continue;
    }
    std::string text = *line;
    for (char& c : text)
      if (c == '\t') c = ' ';  // the memo shows no tab stops
    if (HasControlCharacter(text))
      fail("holds a control character");
    else if (text == "<endinfos>")
      fail("is \"<endinfos>\", which would end the information text early");
    lines.push_back(std::move(text));
  }
  return lines;
}

}  // namespace pelmora::pack
