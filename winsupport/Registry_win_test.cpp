#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "winsupport/Registry_win.h"
#include "common/WinHandle.h"
#include "winsupport/RegistryLink_win_testutil.h"

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
    DeleteRegKey(HKEY_CURRENT_USER, base_);
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

// The code of a failure naming `what`, or 0 when there was none.
std::uint32_t CodeFor(const std::optional<common::WinFailure>& failure, const std::string& what) {
  if (!failure) return 0;
  EXPECT_EQ(failure->what, what);
  return failure->code;
}

// Creating makes the missing parents and keeps an existing key's values;
// a leading or trailing backslash names the same key; a path naming the
// root is refused.
TEST_F(RegistryTest, CreateMakesParentsKeepsValuesAndRefusesTheRoot) {
  EXPECT_FALSE(CreateRegKey(HKEY_CURRENT_USER, Path("Firma\\Produkt\\Einstellungen")));
  EXPECT_TRUE(Exists("Firma\\Produkt\\Einstellungen"));
  EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, Path("Firma\\Anderes")));

  SetString("Uninstall\\Produkt", "InstallPath", "C:\\Programme\\Produkt\\");
  EXPECT_FALSE(CreateRegKey(HKEY_CURRENT_USER, "\\" + Path("Uninstall\\Produkt")));
  EXPECT_EQ(ReadRegString(HKEY_CURRENT_USER, Path("Uninstall\\Produkt\\"), "InstallPath"),
            "C:\\Programme\\Produkt\\");
  EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, "\\" + Path("Uninstall")));
  EXPECT_FALSE(DeleteRegKey(HKEY_CURRENT_USER, "\\" + Path("Uninstall\\Produkt")));
  EXPECT_FALSE(Exists("Uninstall\\Produkt"));

  EXPECT_EQ(CodeFor(CreateRegKey(baseKey_.Get(), ""), ""), ERROR_BAD_PATHNAME);
  EXPECT_EQ(CodeFor(CreateRegKey(baseKey_.Get(), "\\\\"), "\\\\"), ERROR_BAD_PATHNAME);
}

// Strings come back as stored (an unterminated one too, Windows-1252 bytes
// unchanged); a missing key or value, or one that is no string, is nothing,
// and reading creates no key.
TEST_F(RegistryTest, StringsReadBackAsStoredAndNothingElse) {
  const char unterminated[] = {'4', '.', '2'};
  SetValue("Werte", "Version", REG_SZ, unterminated, sizeof unterminated);
  SetString("Werte", "Leer", "");
  const DWORD number = 42;
  SetValue("Werte", "Zahl", REG_DWORD, &number, sizeof number);
  EXPECT_FALSE(WriteRegString(HKEY_CURRENT_USER, Path("Werte"), "Umlaut",
                              "Gr\xF6\xDF"
                              "e"));

  EXPECT_EQ(ReadRegString(HKEY_CURRENT_USER, Path("Werte"), "Version"), "4.2");
  EXPECT_EQ(ReadRegString(HKEY_CURRENT_USER, Path("Werte"), "Leer"), "");
  EXPECT_EQ(ReadRegString(HKEY_CURRENT_USER, Path("Werte"), "Umlaut"),
            "Gr\xF6\xDF"
            "e");
  EXPECT_EQ(ReadRegString(HKEY_CURRENT_USER, Path("Werte"), "Zahl"), std::nullopt);
  EXPECT_EQ(ReadRegString(HKEY_CURRENT_USER, Path("Werte"), "Fehlt"), std::nullopt);
  EXPECT_EQ(ReadRegString(HKEY_CURRENT_USER, Path("Fehlt"), "Version"), std::nullopt);
  EXPECT_FALSE(Exists("Fehlt"));
  // Writing needs the key: it is not made on the way, and the failure names
  // the value.
  EXPECT_EQ(CodeFor(WriteRegString(HKEY_CURRENT_USER, Path("Fehlt"), "Version", "1"), "Version"),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(CodeFor(WriteRegDword(HKEY_CURRENT_USER, Path("Fehlt"), "Zahl", 1), "Zahl"),
            ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(Exists("Fehlt"));

  const auto product = ReadRegString(
      HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "ProductName");
  ASSERT_TRUE(product.has_value());
  EXPECT_FALSE(product->empty());
}

TEST_F(RegistryTest, DeleteRemovesTheKeyWithAllNestedSubkeys) {
  for (const char* key : {"Alt\\A\\A1\\A11", "Alt\\A\\A2", "Alt\\B", "Alt\\C\\C1", "Bleibt"})
    ASSERT_FALSE(CreateRegKey(HKEY_CURRENT_USER, Path(key))) << key;
  SetString("Alt\\A\\A1\\A11", "Wert", "tief");
  SetString("Alt", "Wert", "oben");

  EXPECT_FALSE(DeleteRegKey(HKEY_CURRENT_USER, Path("Alt")));
  EXPECT_FALSE(Exists("Alt"));
  EXPECT_TRUE(Exists("Bleibt"));
}

TEST_F(RegistryTest, SubkeyNamesAndEmptinessOfAKey) {
  for (const char* key : {"Liste\\Eins\\Tiefer", "Liste\\Zwei", "Leer", "MitWert"})
    ASSERT_FALSE(CreateRegKey(HKEY_CURRENT_USER, Path(key))) << key;
  SetString("MitWert", "Wert", "x");

  std::vector<std::string> names = RegSubkeyNames(HKEY_CURRENT_USER, Path("Liste"));
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"Eins", "Zwei"}));
  EXPECT_TRUE(RegSubkeyNames(HKEY_CURRENT_USER, Path("Fehlt")).empty());

  // The plain delete takes an empty key only.
  EXPECT_EQ(CodeFor(DeleteEmptyRegKey(HKEY_CURRENT_USER, Path("Liste")), Path("Liste")),
            ERROR_DIR_NOT_EMPTY);
  EXPECT_EQ(CodeFor(DeleteEmptyRegKey(HKEY_CURRENT_USER, Path("MitWert")), Path("MitWert")),
            ERROR_DIR_NOT_EMPTY);
  EXPECT_EQ(CodeFor(DeleteEmptyRegKey(HKEY_CURRENT_USER, Path("Fehlt")), Path("Fehlt")),
            ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(DeleteEmptyRegKey(HKEY_CURRENT_USER, Path("Leer")));
  EXPECT_FALSE(Exists("Leer"));
  EXPECT_TRUE(Exists("Liste\\Eins\\Tiefer"));
  EXPECT_TRUE(Exists("MitWert"));
}

// A delete that fails names the key as given with Windows' code: a missing
// key, a path naming the root (refused, everything kept) and a key whose
// subkey resists (the key stays, with Windows' code for it).
TEST_F(RegistryTest, AFailedDeleteNamesTheKeyWithWindowsCode) {
  EXPECT_EQ(CodeFor(DeleteRegKey(HKEY_CURRENT_USER, Path("Fehlt")), Path("Fehlt")),
            ERROR_FILE_NOT_FOUND);

  // The test's own key stands in for the root, so a failure costs only it.
  ASSERT_FALSE(CreateRegKey(HKEY_CURRENT_USER, Path("Sentinel\\Unten")));
  for (const std::string path : {"", "\\", "\\\\\\"}) {
    EXPECT_EQ(CodeFor(DeleteRegKey(baseKey_.Get(), path), path), ERROR_BAD_PATHNAME)
        << "path '" << path << "'";
    EXPECT_TRUE(Exists("Sentinel\\Unten")) << "path '" << path << "'";
  }
}

// A link in a deleted tree goes as the link; what it stands for stays. A
// path through a link is not followed, for a tree or a plain delete.
TEST_F(RegistryTest, DeletionNeverFollowsARegistryLink) {
  ASSERT_FALSE(CreateRegKey(HKEY_CURRENT_USER, Path("Ziel\\Sub")));
  SetString("Ziel", "Wert", "fremd");
  ASSERT_FALSE(CreateRegKey(HKEY_CURRENT_USER, Path("Baum\\Ast")));
  test::AddLink(HKEY_CURRENT_USER, Path("Baum"), "Verweis", test::UserKeyName(Path("Ziel")));
  ASSERT_TRUE(Exists("Baum\\Verweis\\Sub"));  // the link leads there

  EXPECT_EQ(CodeFor(DeleteRegKey(HKEY_CURRENT_USER, Path("Baum\\Verweis\\Sub")),
                    Path("Baum\\Verweis\\Sub")),
            kThroughRegistryLink);
  EXPECT_EQ(CodeFor(DeleteEmptyRegKey(HKEY_CURRENT_USER, Path("Baum\\Verweis\\Sub")),
                    Path("Baum\\Verweis\\Sub")),
            kThroughRegistryLink);
  EXPECT_EQ(
      CodeFor(DeleteEmptyRegKey(HKEY_CURRENT_USER, Path("Baum\\Verweis")), Path("Baum\\Verweis")),
      ERROR_DIR_NOT_EMPTY);
  EXPECT_TRUE(test::LinkExists(HKEY_CURRENT_USER, Path("Baum"), "Verweis"));

  EXPECT_FALSE(DeleteRegKey(HKEY_CURRENT_USER, Path("Baum")));
  EXPECT_FALSE(Exists("Baum"));
  EXPECT_TRUE(Exists("Ziel\\Sub"));
  EXPECT_EQ(ReadRegString(HKEY_CURRENT_USER, Path("Ziel"), "Wert"), "fremd");

  // The link itself as the key to delete: the link goes, its target stays.
  ASSERT_FALSE(CreateRegKey(HKEY_CURRENT_USER, Path("Baum")));
  test::AddLink(HKEY_CURRENT_USER, Path("Baum"), "Verweis", test::UserKeyName(Path("Ziel")));
  EXPECT_FALSE(DeleteRegKey(HKEY_CURRENT_USER, Path("Baum\\Verweis")));
  EXPECT_FALSE(test::LinkExists(HKEY_CURRENT_USER, Path("Baum"), "Verweis"));
  EXPECT_TRUE(Exists("Ziel\\Sub"));
}

}  // namespace
}  // namespace pelmora::winsupport
