#include "install/UninstallEntry_win.h"

#include <gtest/gtest.h>

#include <random>

#include "TestFiles.h"
#include "common/WinHandle.h"
#include "TestPaths.h"
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
    keyPath_ = UninstallKeyPath(description_);
  }
  void TearDown() override {
    winsupport::DeleteRegKey(keyPath_, HKEY_LOCAL_MACHINE);
    winsupport::DeleteRegKey(keyPath_, HKEY_CURRENT_USER);
  }

  // Every value of the key as the registry gives it back.
  std::vector<NamedValue> ReadBack(HKEY root) const {
    std::vector<NamedValue> values;
    for (const NamedValue& expected : UninstallValues(targetDir_, windowsDir_, description_)) {
      std::string data;
      EXPECT_TRUE(winsupport::ReadRegString(root, keyPath_, expected.name, data)) << expected.name;
      values.push_back({expected.name, data});
    }
    return values;
  }

  setupdesc::SetupDescription description_;
  std::string keyPath_;
  test::ScratchDir windows_{"uninstall-entry"};
  const std::string windowsDir_ = windows_.Str() + "\\";
  const std::string targetDir_ = "C:\\Programme\\Werkzeug\\";
};

TEST_F(UninstallEntryTest, BothRootsGetTheTwelveValuesAndTheirLinesOnlyWithTheUninstaller) {
  std::vector<std::string> protocol;
  WriteUninstallEntries(targetDir_, windowsDir_, {true, true}, description_, protocol);
  EXPECT_TRUE(protocol.empty());
  EXPECT_FALSE(winsupport::RegKeyExists(HKEY_LOCAL_MACHINE, keyPath_));
  EXPECT_FALSE(winsupport::RegKeyExists(HKEY_CURRENT_USER, keyPath_));

  test::WriteText(windows_.Path() / "stUnInst.Exe", "MZ");
  // A value the key holds beyond the twelve is left alone.
  ASSERT_TRUE(winsupport::CreateRegKey(keyPath_, HKEY_CURRENT_USER));
  {
    win::UniqueRegKey key;
    ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, keyPath_.c_str(), 0, KEY_SET_VALUE, key.Receive()),
              ERROR_SUCCESS);
    ASSERT_EQ(::RegSetValueExA(key.Get(), "Eigenes", 0, REG_SZ,
                               reinterpret_cast<const BYTE*>("bleibt"), 7),
              ERROR_SUCCESS);
  }

  WriteUninstallEntries(targetDir_, windowsDir_, {true, true}, description_, protocol);

  EXPECT_EQ(protocol, (std::vector<std::string>{"r0" + keyPath_, "r1" + keyPath_}));
  const std::vector<NamedValue> expected = UninstallValues(targetDir_, windowsDir_, description_);
  ASSERT_EQ(expected.size(), 12u);
  EXPECT_EQ(expected[0].data,
            windowsDir_ + "stUnInst.exe \"C:\\Programme\\Werkzeug\\UnInstall.log\"");
  EXPECT_EQ(ReadBack(HKEY_LOCAL_MACHINE), expected);
  EXPECT_EQ(ReadBack(HKEY_CURRENT_USER), expected);
  std::string own;
  EXPECT_TRUE(winsupport::ReadRegString(HKEY_CURRENT_USER, keyPath_, "Eigenes", own));
  EXPECT_EQ(own, "bleibt");

  // Only the root the run found: one key, one line.
  TearDown();
  protocol.clear();
  WriteUninstallEntries(targetDir_, windowsDir_, {false, true}, description_, protocol);
  EXPECT_EQ(protocol, (std::vector<std::string>{"r1" + keyPath_}));
  EXPECT_FALSE(winsupport::RegKeyExists(HKEY_LOCAL_MACHINE, keyPath_));
  EXPECT_EQ(ReadBack(HKEY_CURRENT_USER), expected);
}

}  // namespace
}  // namespace pelmora::install
