#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "winsupport/Registry_win.h"
#include "common/WinHandle.h"

namespace pelmora::winsupport {
namespace {

// Every test works below its own key HKEY_CURRENT_USER\Software\PelmoraTest\<unique>.
class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device random;
    base_ = "Software\\PelmoraTest\\" + std::to_string(random()) + std::to_string(random());
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, base_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                nullptr, baseKey_.Receive(), nullptr),
              ERROR_SUCCESS);
  }
  void TearDown() override {
    baseKey_.Reset();
    DeleteRegKey(base_, HKEY_CURRENT_USER);
    // Fails harmlessly while other runs still have keys below it.
    ::RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\PelmoraTest");
  }

  std::string Path(const std::string& relative) const { return base_ + "\\" + relative; }

  static bool Exists(HKEY root, const std::string& path) {
    win::UniqueRegKey key;
    return ::RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, key.Receive()) == ERROR_SUCCESS;
  }
  bool Exists(const std::string& relative) const {
    return Exists(HKEY_CURRENT_USER, Path(relative));
  }

  void SetValue(const std::string& relative, const char* name, DWORD type, const void* data,
                DWORD size) {
    win::UniqueRegKey key;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, Path(relative).c_str(), 0, nullptr, 0,
                                KEY_ALL_ACCESS, nullptr, key.Receive(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(::RegSetValueExA(key.Get(), name, 0, type, static_cast<const BYTE*>(data), size),
              ERROR_SUCCESS);
  }
  void SetString(const std::string& relative, const char* name, const std::string& text) {
    SetValue(relative, name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
  }

  std::string base_;
  win::UniqueRegKey baseKey_;
};

TEST_F(RegistryTest, CreateMakesTheKeyAndItsMissingParents) {
  EXPECT_TRUE(CreateRegKey(Path("Firma\\Produkt\\Einstellungen"), HKEY_CURRENT_USER));
  EXPECT_TRUE(Exists("Firma\\Produkt\\Einstellungen"));
  EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, Path("Firma\\Produkt")));
  EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, Path("Firma\\Anderes")));
}

TEST_F(RegistryTest, LeadingAndTrailingBackslashesNameTheSameKey) {
  EXPECT_TRUE(CreateRegKey("\\" + Path("Uninstall\\Produkt"), HKEY_CURRENT_USER));
  EXPECT_TRUE(Exists("Uninstall\\Produkt"));
  SetString("Uninstall\\Produkt", "DisplayVersion", "2.1");
  std::string text;
  EXPECT_TRUE(
      ReadRegString(HKEY_CURRENT_USER, "\\" + Path("Uninstall\\Produkt"), "DisplayVersion", text));
  EXPECT_EQ(text, "2.1");
  EXPECT_TRUE(
      ReadRegString(HKEY_CURRENT_USER, Path("Uninstall\\Produkt\\"), "DisplayVersion", text));
  EXPECT_EQ(text, "2.1");
  EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, "\\" + Path("Uninstall")));
  EXPECT_TRUE(DeleteRegKey("\\" + Path("Uninstall\\Produkt"), HKEY_CURRENT_USER));
  EXPECT_FALSE(Exists("Uninstall\\Produkt"));
}

TEST_F(RegistryTest, CreatingAnExistingKeyKeepsItsValues) {
  SetString("Produkt", "InstallPath", "C:\\Programme\\Produkt\\");
  EXPECT_TRUE(CreateRegKey(Path("Produkt"), HKEY_CURRENT_USER));
  std::string text;
  EXPECT_TRUE(ReadRegString(HKEY_CURRENT_USER, Path("Produkt"), "InstallPath", text));
  EXPECT_EQ(text, "C:\\Programme\\Produkt\\");
}

TEST_F(RegistryTest, CreateRefusesPathsThatNameTheRoot) {
  EXPECT_FALSE(CreateRegKey("", baseKey_.Get()));
  EXPECT_FALSE(CreateRegKey("\\\\", baseKey_.Get()));
}

TEST_F(RegistryTest, ReadGivesEmptyTextForMissingKeyOrValueWithoutCreatingTheKey) {
  std::string text = "stale";
  EXPECT_FALSE(ReadRegString(HKEY_CURRENT_USER, Path("Fehlt"), "DisplayVersion", text));
  EXPECT_EQ(text, "");
  EXPECT_FALSE(Exists("Fehlt"));
  SetString("Da", "Other", "x");
  text = "stale";
  EXPECT_FALSE(ReadRegString(HKEY_CURRENT_USER, Path("Da"), "DisplayVersion", text));
  EXPECT_EQ(text, "");
}

TEST_F(RegistryTest, ReadTakesStringsEvenWithoutTerminatingZero) {
  const char unterminated[] = {'4', '.', '2'};
  SetValue("Werte", "Version", REG_SZ, unterminated, sizeof unterminated);
  SetString("Werte", "Leer", "");
  SetString("Werte", "Umlaut", "Größe");
  std::string text;
  EXPECT_TRUE(ReadRegString(HKEY_CURRENT_USER, Path("Werte"), "Version", text));
  EXPECT_EQ(text, "4.2");
  EXPECT_TRUE(ReadRegString(HKEY_CURRENT_USER, Path("Werte"), "Leer", text));
  EXPECT_EQ(text, "");
  EXPECT_TRUE(ReadRegString(HKEY_CURRENT_USER, Path("Werte"), "Umlaut", text));
  EXPECT_EQ(text, "Größe");
}

TEST_F(RegistryTest, ReadRejectsValuesThatAreNoStrings) {
  const DWORD number = 42;
  SetValue("Werte", "Zahl", REG_DWORD, &number, sizeof number);
  std::string text = "stale";
  EXPECT_FALSE(ReadRegString(HKEY_CURRENT_USER, Path("Werte"), "Zahl", text));
  EXPECT_EQ(text, "");
}

TEST_F(RegistryTest, ReadsTheMachineKeyThatTellsTheWindowsFamily) {
  std::string text;
  EXPECT_TRUE(ReadRegString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion",
                            "ProductName", text));
  EXPECT_FALSE(text.empty());
}

TEST_F(RegistryTest, DeleteRemovesTheKeyWithAllNestedSubkeys) {
  for (const char* key : {"Alt\\A\\A1\\A11", "Alt\\A\\A2", "Alt\\B", "Alt\\C\\C1", "Bleibt"})
    ASSERT_TRUE(CreateRegKey(Path(key), HKEY_CURRENT_USER)) << key;
  SetString("Alt\\A\\A1\\A11", "Wert", "tief");
  SetString("Alt", "Wert", "oben");

  EXPECT_TRUE(DeleteRegKey(Path("Alt"), HKEY_CURRENT_USER));
  EXPECT_FALSE(Exists("Alt"));
  EXPECT_TRUE(Exists("Bleibt"));
}

TEST_F(RegistryTest, SubkeyNamesAndEmptinessOfAKey) {
  for (const char* key : {"Liste\\Eins\\Tiefer", "Liste\\Zwei", "Leer", "MitWert"})
    ASSERT_TRUE(CreateRegKey(Path(key), HKEY_CURRENT_USER)) << key;
  SetString("MitWert", "Wert", "x");

  std::vector<std::string> names = RegSubkeyNames(HKEY_CURRENT_USER, Path("Liste"));
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"Eins", "Zwei"}));
  EXPECT_TRUE(RegSubkeyNames(HKEY_CURRENT_USER, Path("Fehlt")).empty());

  EXPECT_TRUE(RegKeyIsEmpty(HKEY_CURRENT_USER, Path("Leer")));
  EXPECT_FALSE(RegKeyIsEmpty(HKEY_CURRENT_USER, Path("Liste")));    // subkeys
  EXPECT_FALSE(RegKeyIsEmpty(HKEY_CURRENT_USER, Path("MitWert")));  // a value
  EXPECT_FALSE(RegKeyIsEmpty(HKEY_CURRENT_USER, Path("Fehlt")));
}

TEST_F(RegistryTest, DeleteOfAMissingKeyReportsFailure) {
  EXPECT_FALSE(DeleteRegKey(Path("Fehlt"), HKEY_CURRENT_USER));
  EXPECT_FALSE(DeleteRegKey(Path("Fehlt\\Auch"), HKEY_CURRENT_USER));
}

TEST_F(RegistryTest, DeleteRefusesPathsThatNameTheRootAndKeepsEverything) {
  // The test's own key stands in for the root, so a failure costs only it.
  ASSERT_TRUE(CreateRegKey(Path("Sentinel\\Unten"), HKEY_CURRENT_USER));
  for (const std::string path : {"", "\\", "\\\\\\"}) {
    EXPECT_FALSE(DeleteRegKey(path, baseKey_.Get())) << "path '" << path << "'";
    EXPECT_TRUE(Exists("Sentinel\\Unten")) << "path '" << path << "'";
  }
}

}  // namespace
}  // namespace pelmora::winsupport
