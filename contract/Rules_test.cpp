#include <gtest/gtest.h>

#include "contract/KeyRules.h"
#include "contract/PathRules.h"
#include "contract/UninstallEntry.h"

namespace pelmora::contract {
namespace {

// What a key check says, as one comparable text: the key as it is to be
// used, or the reason it is refused.
std::string Said(const std::variant<std::string, Refusal>& checked) {
  if (const Refusal* refusal = std::get_if<Refusal>(&checked))
    return "refused " + std::to_string(static_cast<int>(refusal->reason));
  return std::get<std::string>(checked);
}
std::string Refused(Reason reason) { return "refused " + std::to_string(static_cast<int>(reason)); }

// The settings keys a description may list (created below HKEY_CURRENT_USER,
// wiped by a complete repair, and so refused by the packer when they break
// the rule); the vendor's own key passes but is marked as shared.
TEST(KeyRules, SettingsKeysLieInSoftwareBelowAVendorOutsideSharedTrees) {
  const struct {
    const char* key;
    std::string expected;
    bool vendor = false;
  } rows[] = {
      {"Software\\Firma\\Tool", "Software\\Firma\\Tool"},
      {"\\Software\\Firma\\Tool\\", "Software\\Firma\\Tool"},
      {"HKEY_CURRENT_USER\\Software\\Firma\\Tool\\Sub", "Software\\Firma\\Tool\\Sub"},
      {"Software\\Wow6432Node\\Firma\\Tool", "Software\\Wow6432Node\\Firma\\Tool"},
      {"Software\\Firma", "Software\\Firma", true},
      {"HKCU\\software\\Firma\\", "software\\Firma", true},
      {"Software\\Wow6432Node\\Firma", "Software\\Wow6432Node\\Firma", true},
      {"Software", Refused(Reason::SharedKey)},
      {"SOFTWARE\\Microsoft", Refused(Reason::SharedKey)},
      {"Software\\Microsoft\\Cryptography", Refused(Reason::SharedKey)},
      {"SOFTWARE\\Classes\\exefile", Refused(Reason::SharedKey)},
      {"Software\\Classes\\CLSID\\{00000000-0000-0000-0000-000000000000}",
       Refused(Reason::SharedKey)},
      {"Software\\Policies\\Firma\\Tool", Refused(Reason::SharedKey)},
      {"Software\\Clients\\Mail\\Tool", Refused(Reason::SharedKey)},
      {"Software\\ODBC\\ODBC.INI", Refused(Reason::SharedKey)},
      {"Software\\AppDataLow\\Microsoft", Refused(Reason::SharedKey)},
      {"Software\\RegisteredApplications", Refused(Reason::SharedKey)},
      {"Software\\Wow6432Node", Refused(Reason::SharedKey)},
      {"Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run",
       Refused(Reason::SharedKey)},
      {"Software\\WOW6432NODE\\Classes\\x", Refused(Reason::SharedKey)},
      {"Identities\\x", Refused(Reason::OutsideSoftware)},
      {"Volatile Environment\\x", Refused(Reason::OutsideSoftware)},
      {"Control Panel\\Desktop", Refused(Reason::OutsideSoftware)},
      {"Environment", Refused(Reason::OutsideSoftware)},
      {"HKCU\\Firma\\Tool", Refused(Reason::OutsideSoftware)},
      {"System\\CurrentControlSet\\Services\\Tcpip", Refused(Reason::OutsideSoftware)},
      {"", Refused(Reason::ShallowKey)},
      {"\\\\", Refused(Reason::ShallowKey)},
      {"Software\\\\Firma\\Tool", Refused(Reason::MalformedKey)},
      {"HKEY_LOCAL_MACHINE\\Software\\Firma\\Tool", Refused(Reason::WrongRoot)},
      {"HKEY_CLASSES_ROOT\\.tool\\x", Refused(Reason::WrongRoot)},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(Said(CheckSettingsKey(row.key)), row.expected) << row.key;
    EXPECT_EQ(IsVendorKey(row.key), row.vendor) << row.key;
  }
}

// A protocol's key lines: below HKEY_LOCAL_MACHINE only the product's own
// entry; below HKEY_CURRENT_USER that entry or a settings key.
TEST(KeyRules, ProtocolKeysBelowTheMachineAreOnlyTheProductsEntry) {
  const std::string entry = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tool";
  const auto machine = [&](const std::string& key, std::string_view product) {
    return Said(CheckProtocolKey(key, KeyRoot::LocalMachine, product));
  };
  const auto user = [&](const std::string& key, std::string_view product) {
    return Said(CheckProtocolKey(key, KeyRoot::CurrentUser, product));
  };
  EXPECT_EQ(machine(entry, entry), entry);
  EXPECT_EQ(machine("\\software\\microsoft\\windows\\currentversion\\uninstall\\TOOL\\", entry),
            "software\\microsoft\\windows\\currentversion\\uninstall\\TOOL");
  EXPECT_EQ(machine(entry, ""), Refused(Reason::NotProductEntry));
  EXPECT_EQ(machine(entry + "\\Sub", entry), Refused(Reason::NotProductEntry));
  EXPECT_EQ(machine("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Other", entry),
            Refused(Reason::NotProductEntry));
  EXPECT_EQ(machine("Software\\Firma\\Other", entry), Refused(Reason::NotProductEntry));
  EXPECT_EQ(machine("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList", entry),
            Refused(Reason::NotProductEntry));
  EXPECT_EQ(machine("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution "
                    "Options",
                    entry),
            Refused(Reason::NotProductEntry));
  EXPECT_EQ(machine("HKEY_CURRENT_USER\\Software\\Firma\\Tool", entry), Refused(Reason::WrongRoot));

  EXPECT_EQ(user(entry, entry), entry);
  EXPECT_EQ(user("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Other", entry),
            Refused(Reason::SharedKey));
  EXPECT_EQ(user("Software\\Firma\\Tool", entry), "Software\\Firma\\Tool");
  EXPECT_EQ(user("Software", ""), Refused(Reason::SharedKey));
}

// The one target rule of the target page, the installation and the
// uninstaller, against a Windows of the 9x and NT kind.
TEST(PathRules, TheTargetFolderRule) {
  const SystemFolders system{
      "C:\\WINDOWS",
      {"C:\\WINDOWS\\system32", "C:\\Program Files", "C:\\Program Files\\Common Files",
       "C:\\Documents and Settings\\bob", "C:\\Documents and Settings\\All Users\\Start Menu"}};
  const struct {
    const char* path;
    std::optional<Reason> expected;
  } rows[] = {
      {"C:\\Programme\\Tool\\", std::nullopt},
      {"C:\\Program Files\\Tool", std::nullopt},
      {"D:\\Tool", std::nullopt},
      {"C:\\Documents and Settings\\bob\\Tool\\", std::nullopt},
      {"C:\\Programme\\B\xFCro\\", std::nullopt},
      {"C:/Firma/Tool", std::nullopt},  // Windows takes either separator
      {"C:\\Firma\\CONSOLE\\COM10", std::nullopt},
      {"C:\\Firma\\COM\xB4\\LPT", std::nullopt},
      {"C:\\", Reason::DriveRoot},
      {"C:", Reason::DriveRoot},
      {"C:Tool", Reason::NotAbsolute},
      {"Programme\\Tool", Reason::NotAbsolute},
      {"\\Programme\\Tool", Reason::NotAbsolute},
      {"", Reason::NotAbsolute},
      {"\\\\server\\share\\Tool", Reason::NetworkPath},
      {"C:\\Tool\\a:b", Reason::InvalidName},
      {"C:\\To<ol", Reason::InvalidName},
      {"C:\\Tool.", Reason::InvalidName},
      {"C:\\Tool\\..\\WINDOWS", Reason::InvalidName},
      {"C:\\Tool\\\\x", Reason::InvalidName},
      {"C:\\Firma\\CON", Reason::InvalidName},
      {"C:\\Firma\\lpt1.dat\\Tool", Reason::InvalidName},
      {"C:\\Firma\\COM0", Reason::InvalidName},
      {"C:\\Firma\\lpt0.log", Reason::InvalidName},
      {"C:\\Firma\\COM\xB9", Reason::InvalidName},
      {"C:\\Firma\\Lpt\xB2.txt\\Tool", Reason::InvalidName},
      {"C:\\Firma\\com\xB3", Reason::InvalidName},
      {"C:\\Firma\\nul .txt", Reason::InvalidName},
      {"C:\\WINDOWS", Reason::InsideWindows},
      {"c:\\windows\\Tool\\", Reason::InsideWindows},
      {"C:\\WINDOWS\\system32\\Tool", Reason::InsideWindows},
      {"C:\\Program Files", Reason::SystemFolder},
      {"C:\\Documents and Settings", Reason::SystemFolder},
      {"C:\\Documents and Settings\\BOB\\", Reason::SystemFolder},
  };
  for (const auto& row : rows) {
    const std::optional<Refusal> refusal = CheckTargetFolder(row.path, system);
    EXPECT_EQ(refusal ? std::optional(refusal->reason) : std::nullopt, row.expected) << row.path;
  }

  const auto parsed = TargetFolder::Parse("C:\\Firma\\Produkt\\Tool\\");
  ASSERT_TRUE(std::holds_alternative<TargetFolder>(parsed));
  EXPECT_EQ(std::get<TargetFolder>(parsed).Parents(),
            (std::vector<std::string>{"C:\\Firma\\", "C:\\Firma\\Produkt\\"}));
}

// What the packer and the description reader accept as a default folder,
// where the target machine is unknown: the target rule against the usual
// names of Windows' and all users' folders on the default's drive.
TEST(PathRules, TheDefaultFolderRule) {
  const struct {
    const char* path;
    std::optional<Reason> expected;
  } rows[] = {
      {"C:\\Programme\\Firma\\Tool", std::nullopt},
      {"C:/Programme/Tool", std::nullopt},
      {"D:\\Tool\\", std::nullopt},
      {"C:\\Program Files\\Firma", std::nullopt},
      {"C:\\Users\\Public\\Tool", std::nullopt},
      {"\\\\server\\share\\Tool", Reason::NetworkPath},
      {"//server/share/Tool", Reason::NetworkPath},
      {"C:\\", Reason::DriveRoot},
      {"C:/", Reason::DriveRoot},
      {"Programme\\Tool", Reason::NotAbsolute},
      {"C:\\Windows", Reason::InsideWindows},
      {"d:/winnt/system32/Tool", Reason::InsideWindows},
      {"C:\\Program Files", Reason::SystemFolder},
      {"C:\\Programme\\", Reason::SystemFolder},
      {"E:\\Dokumente und Einstellungen\\All Users", Reason::SystemFolder},
      {"C:\\Users", Reason::SystemFolder},
      {"C:\\Firma\\Tool.", Reason::InvalidName},
      {"C:\\Firma\\COM1", Reason::InvalidName},
      {"C:\\Firma\\..\\Windows", Reason::InvalidName},
  };
  for (const auto& row : rows) {
    const std::optional<Refusal> refusal = CheckDefaultFolder(row.path);
    EXPECT_EQ(refusal ? std::optional(refusal->reason) : std::nullopt, row.expected) << row.path;
  }
  EXPECT_EQ(AsTargetText("C:/Programme/Tool"), "C:\\Programme\\Tool\\");
}

// The one name rule, for single names (shortcuts, group folders) and for
// paths below a folder (archive entries, configuration files, COM servers),
// and the one-name rule of an Uninstall key.
TEST(PathRules, TheNameRule) {
  const struct {
    std::string name;
    std::optional<Reason> asName, asPath;
  } rows[] = {
      {"Tool.lnk", std::nullopt, std::nullopt},
      {"Gr\xFC\xDF"
       "e.txt",
       std::nullopt, std::nullopt},
      {".hidden", std::nullopt, std::nullopt},
      {"COM10", std::nullopt, std::nullopt},
      {"bin\\server.dll", Reason::NotPlainPath, std::nullopt},
      {"bin/x.dll", Reason::NotPlainPath, std::nullopt},
      {".", Reason::ParentReference, Reason::ParentReference},
      {"..\\x", Reason::NotPlainPath, Reason::ParentReference},
      {"...", Reason::NotPlainPath, Reason::NotPlainPath},
      {"a.", Reason::NotPlainPath, Reason::NotPlainPath},
      {"a ", Reason::NotPlainPath, Reason::NotPlainPath},
      {"", Reason::NotPlainPath, Reason::NotPlainPath},
      {"\\x", Reason::NotPlainPath, Reason::NotPlainPath},
      {"C:\\x", Reason::NotPlainPath, Reason::NotPlainPath},
      {"a\\\\b", Reason::NotPlainPath, Reason::NotPlainPath},
      {"a\\", Reason::NotPlainPath, Reason::NotPlainPath},
      {"x:y", Reason::NotPlainPath, Reason::NotPlainPath},
      {"a*", Reason::NotPlainPath, Reason::NotPlainPath},
      {"tab\tx", Reason::NotPlainPath, Reason::NotPlainPath},
      {"con", Reason::NotPlainPath, Reason::NotPlainPath},
      {"CON .txt", Reason::NotPlainPath, Reason::NotPlainPath},
      {"AUX.h", Reason::NotPlainPath, Reason::NotPlainPath},
      {"CONOUT$", Reason::NotPlainPath, Reason::NotPlainPath},
      {"COM0", Reason::NotPlainPath, Reason::NotPlainPath},
      {"lpt\xB3.doc", Reason::NotPlainPath, Reason::NotPlainPath},
      {"a\\COM\xB9\\b", Reason::NotPlainPath, Reason::NotPlainPath},
  };
  const auto reason = [](const std::optional<Refusal>& r) {
    return r ? std::optional(r->reason) : std::nullopt;
  };
  for (const auto& row : rows) {
    EXPECT_EQ(reason(NameProblem(row.name)), row.asName) << row.name;
    EXPECT_EQ(reason(RelativePathProblem(row.name)), row.asPath) << row.name;
  }

  for (const char* good : {"Tool", "Firma Tool 1.0", "{0A1B}_is1"})
    EXPECT_EQ(CheckUninstallKeyName(good), std::nullopt) << good;
  for (const char* bad : {"A\\B", "\\Tool", "Tool\\", "", "  "})
    EXPECT_EQ(reason(CheckUninstallKeyName(bad)), Reason::MalformedKey) << bad;
}

// Folders are removed deepest first; folders of one depth keep the order the
// protocol named them in, and a trailing separator adds no depth.
TEST(PathRules, DeepestFirstKeepsTheOrderOfEqualDepths) {
  std::vector<std::string> folders = {"C:\\P\\a",     "C:\\P\\a\\x\\y", "C:\\P\\b\\",
                                      "C:\\P\\a\\x", "C:\\P\\c",        "C:\\P\\b\\z"};
  SortDeepestFirst(folders);
  EXPECT_EQ(folders, (std::vector<std::string>{"C:\\P\\a\\x\\y", "C:\\P\\a\\x", "C:\\P\\b\\z",
                                               "C:\\P\\a", "C:\\P\\b\\", "C:\\P\\c"}));
  std::vector<std::string> none;
  SortDeepestFirst(none);
  EXPECT_TRUE(none.empty());
}

}  // namespace
}  // namespace pelmora::contract
