#include "install/RegistrySettings_win.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "TestFiles.h"
#include "TestPaths.h"
#include "common/WinHandle.h"
#include "install/FailureText_win.h"
#include "winsupport/Registry_win.h"

namespace pelmora::install {
namespace {

std::string WindowsDirectory() {
  char path[MAX_PATH] = {};
  const UINT length = ::GetWindowsDirectoryA(path, MAX_PATH);
  std::string dir(path, length);
  if (dir.empty() || dir.back() != '\\') dir += '\\';
  return dir;
}

// Every test works below its own key HKEY_CURRENT_USER\Software\PelmoraTest\<unique>.
class RegistrySettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device random;
    base_ = "Software\\PelmoraTest\\" + std::to_string(random()) + std::to_string(random());
  }
  void TearDown() override { winsupport::DeleteRegKey(HKEY_CURRENT_USER, base_); }

  StepReport Report(RegistrationStep step) {
    return StepReport(step, protocol_,
                      [](const common::WinFailure& failure) { ADD_FAILURE() << failure.what; });
  }

  std::string base_;
  contract::Protocol protocol_;
};

TEST_F(RegistrySettingsTest, TheSettingsFileIsImportedSilentlyAndThenDeleted) {
  const test::ScratchDir target("registry-reg");
  const std::string targetDir = target.Str() + "\\";
  test::WriteText(target.Path() / "registry.reg",
                  "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\" + base_ +
                      "\\Imported]\r\n\"Sprache\"=\"Deutsch\"\r\n\r\n");

  StepReport report = Report(RegistrationStep::ImportSettingsFile);
  // A file of that name this run did not unpack is someone else's, and
  // one in a target that failed the folder check may be anybody's.
  ImportRegistryFile(targetDir, WindowsDirectory(), false, true, report);
  ImportRegistryFile(targetDir, WindowsDirectory(), true, false, report);
  EXPECT_FALSE(winsupport::RegKeyExists(HKEY_CURRENT_USER, base_ + "\\Imported"));
  EXPECT_TRUE(std::filesystem::exists(target.Path() / "registry.reg"));

  // Imported while held against writers: the editor still reads it.
  ImportRegistryFile(targetDir, WindowsDirectory(), true, true, report);
  EXPECT_EQ(winsupport::ReadRegString(HKEY_CURRENT_USER, base_ + "\\Imported", "Sprache"),
            "Deutsch");
  EXPECT_FALSE(std::filesystem::exists(target.Path() / "registry.reg"));

  // Without the file the step does nothing, and says nothing.
  ImportRegistryFile(targetDir, WindowsDirectory(), true, true, report);
  EXPECT_TRUE(protocol_.Lines().empty());
}

// The keys of the description: created with their "r1" lines in index order
// (an empty line has neither), left as they are when they exist; on a
// complete repair deleted first with everything below them.
TEST_F(RegistrySettingsTest, ListedKeysAreCreatedWithTheirLinesAndDeletedWithTheirSubkeys) {
  setupdesc::SetupDescription description;
  description.RegistryCount = 3;
  description.RegistryLines[1] = base_ + "\\Produkt\\Einstellungen";
  description.RegistryLines[2] = "";
  description.RegistryLines[3] = "\\" + base_ + "\\Zweiter";
  ASSERT_FALSE(winsupport::CreateRegKey(HKEY_CURRENT_USER, base_ + "\\Zweiter\\Tief\\Tiefer"));

  // Keys the rule keeps are not wiped, whatever the description says, and
  // the vendor's own key (here Software\PelmoraTest) is not wiped either.
  setupdesc::SetupDescription hostile = description;
  hostile.RegistryCount = 6;
  hostile.RegistryLines[4] = "Software\\PelmoraTest";
  hostile.RegistryLines[5] = "Control Panel";
  hostile.RegistryLines[6] = "Software\\ODBC\\ODBC.INI";
  EXPECT_EQ(DeleteRegistryKeys(hostile),
            (std::vector<std::string>{"Control Panel", "Software\\ODBC\\ODBC.INI"}));
  EXPECT_FALSE(winsupport::RegKeyExists(HKEY_CURRENT_USER, base_ + "\\Zweiter"));
  EXPECT_TRUE(winsupport::RegKeyExists(HKEY_CURRENT_USER, base_));
  EXPECT_TRUE(winsupport::RegKeyExists(HKEY_CURRENT_USER, "Control Panel"));

  protocol_.AddFile("C:\\vorher.txt");
  description.RegistryCount = 4;
  description.RegistryLines[4] = "HKCU\\" + base_ + "\\Dritter";
  StepReport report = Report(RegistrationStep::RegistryKeys);
  CreateRegistryKeys(description, report);
  EXPECT_EQ(protocol_.Lines(),
            (std::vector<std::string>{"1C:\\vorher.txt", "r1" + base_ + "\\Produkt\\Einstellungen",
                                      "r1" + base_ + "\\Zweiter", "r1" + base_ + "\\Dritter"}));
  EXPECT_TRUE(winsupport::RegKeyExists(HKEY_CURRENT_USER, base_ + "\\Produkt\\Einstellungen"));
  EXPECT_TRUE(winsupport::RegKeyExists(HKEY_CURRENT_USER, base_ + "\\Zweiter"));
  EXPECT_FALSE(winsupport::RegKeyExists(HKEY_CURRENT_USER, base_ + "\\Zweiter\\Tief"));
  // A root spelt out in front is the root, not a key named after it.
  EXPECT_TRUE(winsupport::RegKeyExists(HKEY_CURRENT_USER, base_ + "\\Dritter"));
  EXPECT_FALSE(winsupport::RegKeyExists(HKEY_CURRENT_USER, "HKCU"));

  // A key the rule refuses is neither made nor recorded; a key that cannot
  // be created ends the step with the key in the message; the keys after it
  // are not created and have no line.
  const std::string outside = "Identities\\Pelmora" + base_.substr(base_.rfind('\\') + 1);
  description.RegistryCount = 6;
  description.RegistryLines[4] = outside;
  // Windows makes no lasting key below one that goes with the session.
  win::UniqueRegKey volatileKey;
  ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, (base_ + "\\Fluechtig").c_str(), 0, nullptr,
                              REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, volatileKey.Receive(),
                              nullptr),
            ERROR_SUCCESS);
  description.RegistryLines[5] = base_ + "\\Fluechtig\\Kind";
  description.RegistryLines[6] = base_ + "\\Danach";
  protocol_ = {};
  CreateRegistryKeys(description, report);
  EXPECT_FALSE(winsupport::RegKeyExists(HKEY_CURRENT_USER, outside));
  ASSERT_TRUE(report.Failure().has_value()) << "a lasting key below a volatile one was created";
  EXPECT_EQ(FailureText(*report.Failure()),
            "Erzeugung von Schlüssel " + description.RegistryLines[5] + " mißlungen");
  EXPECT_EQ(protocol_.Lines().size(), 2u);
  EXPECT_FALSE(winsupport::RegKeyExists(HKEY_CURRENT_USER, base_ + "\\Danach"));
}

}  // namespace
}  // namespace pelmora::install
