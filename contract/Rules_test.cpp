#include <gtest/gtest.h>

#include "contract/KeyRules.h"
#include "contract/PathRules.h"

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
// the rule).
TEST(KeyRules, SettingsKeysLieTwoLevelsBelowSoftwareOutsideSharedTrees) {
  const struct {
    const char* key;
    std::string expected;
  } rows[] = {
      {"Software\\Firma\\Tool", "Software\\Firma\\Tool"},
      {"\\Software\\Firma\\Tool\\", "Software\\Firma\\Tool"},
      {"HKEY_CURRENT_USER\\Software\\Firma\\Tool\\Sub", "Software\\Firma\\Tool\\Sub"},
      {"HKCU\\Firma\\Tool", "Firma\\Tool"},
      {"Software\\Wow6432Node\\Firma\\Tool", "Software\\Wow6432Node\\Firma\\Tool"},
      {"Software", Refused(Reason::SharedKey)},
      {"SOFTWARE\\Microsoft", Refused(Reason::SharedKey)},
      {"Software\\Microsoft\\Cryptography", Refused(Reason::SharedKey)},
      {"SOFTWARE\\Classes\\exefile", Refused(Reason::SharedKey)},
      {"Software\\Classes\\CLSID\\{00000000-0000-0000-0000-000000000000}",
       Refused(Reason::SharedKey)},
      {"Software\\Policies\\Firma\\Tool", Refused(Reason::SharedKey)},
      {"Software\\Clients\\Mail\\Tool", Refused(Reason::SharedKey)},
      {"Software\\Wow6432Node", Refused(Reason::SharedKey)},
      {"Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run",
       Refused(Reason::SharedKey)},
      {"Control Panel\\Desktop", Refused(Reason::SharedKey)},
      {"Environment", Refused(Reason::SharedKey)},
      {"AppEvents\\Schemes", Refused(Reason::SharedKey)},
      {"Keyboard Layout\\Preload", Refused(Reason::SharedKey)},
      {"System\\CurrentControlSet\\Services\\Tcpip", Refused(Reason::SharedKey)},
      {"Software\\Firma", Refused(Reason::ShallowKey)},
      {"Software\\Wow6432Node\\Firma", Refused(Reason::ShallowKey)},
      {"Firma", Refused(Reason::ShallowKey)},
      {"", Refused(Reason::ShallowKey)},
      {"\\\\", Refused(Reason::ShallowKey)},
      {"Software\\\\Firma\\Tool", Refused(Reason::MalformedKey)},
      {"HKEY_LOCAL_MACHINE\\Software\\Firma\\Tool", Refused(Reason::WrongRoot)},
      {"HKEY_CLASSES_ROOT\\.tool\\x", Refused(Reason::WrongRoot)},
  };
  for (const auto& row : rows) EXPECT_EQ(Said(CheckSettingsKey(row.key)), row.expected) << row.key;
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

}  // namespace
}  // namespace pelmora::contract
