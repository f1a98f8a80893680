#include "install/UninstallEntry_win.h"

#include <gtest/gtest.h>

#include <random>

#include "TestFiles.h"
#include "common/WinHandle.h"
#include "TestPaths.h"
#include "contract/UninstallEntry.h"
#include "install/UninstallValues.h"
#include "winsupport/Registry_win.h"

namespace pelmora::install {
namespace {

class UninstallEntryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device random;
    description_.UninstallKeyName = "PelmoraTest " + std::to_string(random());
    description_.ProductName = "Werkzeug";
    description_.ProductVersion = "3.1";
    description_.SupportInfo[setupdesc::Publisher] = "Firma GmbH";
    description_.SupportInfo[setupdesc::Readme] = "liesmich.txt";
    keyPath_ = contract::UninstallKeyPath(description_.UninstallKeyName);
  }
  void TearDown() override {
    winsupport::DeleteRegKey(HKEY_LOCAL_MACHINE, keyPath_);
    winsupport::DeleteRegKey(HKEY_CURRENT_USER, keyPath_);
  }

  // Every value of the key as the registry gives it back.
  std::vector<NamedValue> ReadBack(HKEY root) const {
    std::vector<NamedValue> values;
    for (const NamedValue& expected :
         UninstallValues(targetDir_, windowsDir_, description_, facts_.installDate))
      values.push_back(
          {expected.name, winsupport::ReadRegString(root, keyPath_, expected.name).value_or("?")});
    return values;
  }

  // The numbers of the key, as the list of installed programs reads them.
  std::vector<NamedNumber> ReadNumbers(HKEY root) const {
    std::vector<NamedNumber> numbers;
    for (const NamedNumber& expected : UninstallNumbers(facts_.installedBytes)) {
      win::UniqueRegKey key;
      DWORD value = 0, type = 0, size = sizeof value;
      if (::RegOpenKeyExA(root, keyPath_.c_str(), 0, KEY_QUERY_VALUE, key.Receive()) !=
              ERROR_SUCCESS ||
          ::RegQueryValueExA(key.Get(), expected.name.c_str(), nullptr, &type,
                             reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
          type != REG_DWORD)
        value = 0xFFFFFFFF;
      numbers.push_back({expected.name, value});
    }
    return numbers;
  }

  setupdesc::SetupDescription description_;
  const InstalledFacts facts_{"20261208", 5000};
  std::string keyPath_;
  test::ScratchDir windows_{"uninstall-entry"};
  const std::string windowsDir_ = windows_.Str() + "\\";
  const std::string targetDir_ = "C:\\Programme\\Werkzeug\\";
  contract::Protocol protocol_;
  StepReport report_{RegistrationStep::UninstallEntry, protocol_, nullptr};
};

TEST_F(UninstallEntryTest, BothRootsGetTheTwelveValuesAndTheirLinesOnlyWithTheUninstaller) {
  WriteUninstallEntries(targetDir_, windowsDir_, {true, true}, description_, facts_, report_);
  EXPECT_TRUE(protocol_.Lines().empty());
  EXPECT_FALSE(winsupport::RegKeyExists(HKEY_LOCAL_MACHINE, keyPath_));
  EXPECT_FALSE(winsupport::RegKeyExists(HKEY_CURRENT_USER, keyPath_));

  test::WriteText(windows_.Path() / "stUnInst.Exe", "MZ");
  // A value the key holds beyond the twelve is left alone.
  ASSERT_FALSE(winsupport::CreateRegKey(HKEY_CURRENT_USER, keyPath_));
  ASSERT_FALSE(winsupport::WriteRegString(HKEY_CURRENT_USER, keyPath_, "Eigenes", "bleibt"));

  WriteUninstallEntries(targetDir_, windowsDir_, {true, true}, description_, facts_, report_);

  EXPECT_EQ(protocol_.Lines(), (std::vector<std::string>{"r0" + keyPath_, "r1" + keyPath_}));
  const std::vector<NamedValue> expected =
      UninstallValues(targetDir_, windowsDir_, description_, facts_.installDate);
  // The twelve, the quiet command and the date; no program, no icon.
  ASSERT_EQ(expected.size(), 14u);
  EXPECT_EQ(expected[0].data,
            windowsDir_ + "stUnInst.exe \"C:\\Programme\\Werkzeug\\UnInstall.log\"");
  EXPECT_EQ(expected[1].data,
            windowsDir_ + "stUnInst.exe /S \"C:\\Programme\\Werkzeug\\UnInstall.log\"");
  EXPECT_EQ(ReadBack(HKEY_LOCAL_MACHINE), expected);
  EXPECT_EQ(ReadBack(HKEY_CURRENT_USER), expected);
  const std::vector<NamedNumber> numbers = {{"EstimatedSize", 5}, {"NoModify", 1}, {"NoRepair", 1}};
  EXPECT_EQ(ReadNumbers(HKEY_LOCAL_MACHINE), numbers);
  EXPECT_EQ(ReadNumbers(HKEY_CURRENT_USER), numbers);
  EXPECT_EQ(winsupport::ReadRegString(HKEY_CURRENT_USER, keyPath_, "Eigenes"), "bleibt");

  // Only the root the run found: one key, one line.
  TearDown();
  protocol_ = {};
  WriteUninstallEntries(targetDir_, windowsDir_, {false, true}, description_, facts_, report_);
  EXPECT_EQ(protocol_.Lines(), (std::vector<std::string>{"r1" + keyPath_}));
  EXPECT_FALSE(winsupport::RegKeyExists(HKEY_LOCAL_MACHINE, keyPath_));
  EXPECT_EQ(ReadBack(HKEY_CURRENT_USER), expected);
}

}  // namespace
}  // namespace pelmora::install
