#include "install/Shortcuts_win.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "TestFiles.h"
#include "TestPaths.h"
#include "winsupport/ComApartment_win.h"
#include "winsupport/ShellFolders_win.h"
#include "winsupport/ShellLink_win.h"

namespace pelmora::install {
namespace {

// What a saved .lnk file says, read back through the shell's link object.
struct LinkFields {
  std::string description, arguments, workingDirectory, path, iconFile;
  int iconIndex = -1;
};

LinkFields ReadLink(const std::filesystem::path& file) {
  LinkFields fields;
  win::ComInterface<IShellLinkA> link;
  win::ComInterface<IPersistFile> persist;
  EXPECT_TRUE(
      SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(link.Receive()))));
  if (!link) return fields;
  link.Get()->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(persist.Receive()));
  if (!persist || FAILED(persist.Get()->Load(file.wstring().c_str(), STGM_READ))) {
    ADD_FAILURE() << "cannot load " << file.string();
    return fields;
  }
  char text[MAX_PATH] = {};
  link.Get()->GetDescription(text, MAX_PATH);
  fields.description = text;
  link.Get()->GetArguments(text, MAX_PATH);
  fields.arguments = text;
  link.Get()->GetWorkingDirectory(text, MAX_PATH);
  fields.workingDirectory = text;
  link.Get()->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH);
  fields.path = text;
  link.Get()->GetIconLocation(text, MAX_PATH, &fields.iconIndex);
  fields.iconFile = text;
  return fields;
}

class ShortcutsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directory(target_.Path() / "doc");
    test::WriteText(windows_.Path() / "stUnInst.exe", "MZ");
  }

  test::ScratchDir target_{"shortcuts-target"};
  test::ScratchDir menu_{"shortcuts-menu"};
  test::ScratchDir windows_{"shortcuts-windows"};
  const std::string targetDir_ = target_.Str() + "\\";
  const std::string windowsDir_ = windows_.Str() + "\\";
  const winsupport::ComApartment com_ = winsupport::EnterComApartment();
  contract::Protocol protocol_;
  // Shortcuts are passed over when they fail; here every one must be made.
  StepReport report_{RegistrationStep::Shortcuts, protocol_, nullptr};
};

// Two entries in two groups, the first with an icon file, the second
// without (it must not inherit the first one's), and the uninstall
// shortcut in the first group; the protocol has only the first group's name.
TEST_F(ShortcutsTest, EachEntryAndTheUninstallShortcutReadBackThroughTheShell) {
  setupdesc::SetupDescription description;
  description.IconCount = 2;
  description.IconGroups[1] = "Pelmora Test";
  description.IconNames[1] = "Das Programm";
  description.IconTargets[1] = "prog.exe";
  description.IconFiles[1] = "prog.ico";
  description.IconGroups[2] = "Firma\\Extras";
  description.IconNames[2] = "Hilfe";
  description.IconTargets[2] = "doc\\hilfe.txt";
  description.IconFiles[2] = "icon";
  test::WriteText(target_.Path() / "prog.exe", "MZ");
  test::WriteText(target_.Path() / "doc" / "hilfe.txt", "Hilfe");
  CreateShortcuts(targetDir_, windowsDir_, menu_.Str(), description, report_);

  EXPECT_EQ(protocol_.Lines(), (std::vector<std::string>{"gPelmora Test"}));
  const std::string quotedTarget = "\"" + targetDir_ + "\"";
  const LinkFields program = ReadLink(menu_.Path() / "Pelmora Test" / "Das Programm.lnk");
  EXPECT_EQ(program.description, "Das Programm");
  EXPECT_EQ(program.arguments, "");
  EXPECT_EQ(program.workingDirectory, quotedTarget);
  EXPECT_EQ(program.path, targetDir_ + "prog.exe");
  EXPECT_EQ(program.iconFile, targetDir_ + "prog.ico");
  EXPECT_EQ(program.iconIndex, 0);

  const LinkFields help = ReadLink(menu_.Path() / "Firma" / "Extras" / "Hilfe.lnk");
  EXPECT_EQ(help.description, "Hilfe");
  EXPECT_EQ(help.workingDirectory, quotedTarget);
  EXPECT_EQ(help.path, targetDir_ + "doc\\hilfe.txt");
  EXPECT_EQ(help.iconFile, "");

  const LinkFields uninstall = ReadLink(menu_.Path() / "Pelmora Test" / "Uninstall.lnk");
  EXPECT_EQ(uninstall.description, "Deinstallieren");
  EXPECT_EQ(uninstall.arguments, "\"" + targetDir_ + "UnInstall.log\"");
  EXPECT_EQ(uninstall.workingDirectory, quotedTarget);
  EXPECT_EQ(uninstall.path, windowsDir_ + "stUnInst.exe");
  EXPECT_EQ(uninstall.iconFile, "");
  EXPECT_FALSE(std::filesystem::exists(menu_.Path() / "Firma" / "Extras" / "Uninstall.lnk"));

  // The uninstaller reads links back through ShellLink itself.
  winsupport::ShellLink reader;
  ASSERT_TRUE(reader.LoadFromFile((menu_.Path() / "Pelmora Test" / "Uninstall.lnk").string()));
  EXPECT_EQ(reader.Path(), uninstall.path);
  EXPECT_EQ(reader.Arguments(), uninstall.arguments);
  winsupport::ShellLink missing;
  EXPECT_FALSE(missing.LoadFromFile((menu_.Path() / "nicht da.lnk").string()));
  EXPECT_EQ(missing.Path() + missing.Arguments(), "");
}

// A group that climbs out of the Programs folder and a device name are not
// made, and a refused first group gets neither the uninstall shortcut nor
// a protocol line; the rule-abiding shortcut beside them is made.
TEST_F(ShortcutsTest, GroupsAndNamesTheNameRuleRefusesAreNotMade) {
  setupdesc::SetupDescription description;
  description.IconCount = 3;
  const char* entries[][2] = {{"..\\Ausserhalb", "Weg"}, {"Gut", "COM1"}, {"Gut", "Bleibt"}};
  for (int i = 1; i <= 3; ++i) {
    description.IconGroups[i] = entries[i - 1][0];
    description.IconNames[i] = entries[i - 1][1];
    description.IconTargets[i] = "prog.exe";
  }
  CreateShortcuts(targetDir_, windowsDir_, menu_.Str(), description, report_);

  EXPECT_TRUE(protocol_.Lines().empty());
  EXPECT_FALSE(std::filesystem::exists(menu_.Path().parent_path() / "Ausserhalb"));
  std::vector<std::string> made;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(menu_.Path()))
    made.push_back(std::filesystem::relative(entry.path(), menu_.Path()).string());
  std::sort(made.begin(), made.end());
  EXPECT_EQ(made, (std::vector<std::string>{"Gut", "Gut\\Bleibt.lnk"}));
  EXPECT_EQ(ReadLink(menu_.Path() / "Gut" / "Bleibt.lnk").description, "Bleibt");
}

// No entries: the bare "g" and, in English, "Uninstall" directly in the
// Programs folder, which the shell names for the current user.
TEST_F(ShortcutsTest, WithoutEntriesOnlyTheUninstallShortcutInTheProgramsFolder) {
  setupdesc::SetupDescription description;
  description.English = true;
  CreateShortcuts(targetDir_, windowsDir_, menu_.Str(), description, report_);

  EXPECT_EQ(protocol_.Lines(), (std::vector<std::string>{"g"}));
  EXPECT_EQ(ReadLink(menu_.Path() / "Uninstall.lnk").description, "Uninstall");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(menu_.Path()),
                          std::filesystem::directory_iterator()),
            1);

  const std::string programs = winsupport::StartMenuProgramsFolder();
  EXPECT_TRUE(std::filesystem::is_directory(programs)) << programs;
  EXPECT_EQ(std::filesystem::path(programs).filename(), "Programs");
  EXPECT_NE(programs.back(), '\\');

  // Without the uninstaller in the Windows folder, no shortcut to it.
  std::filesystem::remove(menu_.Path() / "Uninstall.lnk");
  std::filesystem::remove(windows_.Path() / "stUnInst.exe");
  CreateShortcuts(targetDir_, windowsDir_, menu_.Str(), description, report_);
  EXPECT_TRUE(std::filesystem::is_empty(menu_.Path()));
}

}  // namespace
}  // namespace pelmora::install
