#include "install/TakeBack_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "TestFiles.h"
#include "TestPaths.h"
#include "install/ComServers_win.h"
#include "contract/Sha256.h"
#include "contract/UninstallEntry.h"
#include "winsupport/ComServer_win.h"
#include "winsupport/Registry_win.h"

namespace pelmora::install {
namespace {

namespace fs = std::filesystem;

// An update that could write no protocol over an earlier installation:
// what the run created goes (files, a folder of its own with its file, a
// key, its Uninstall entry, the COM server it registered from a new file,
// unregistered), and nothing that was there before: neither the file it
// overwrote, nor the folder it wrote into, nor the earlier protocol, nor
// the earlier key, nor the server whose file it found (registered by this
// run too: unregistered a second time, it would fail and be listed). Only
// the target is listed as left: it still holds the earlier installation.
TEST(TakeBack, RemovesWhatTheRunCreatedOnly) {
  std::random_device random;
  const std::string keys = "Software\\PelmoraTest\\" + std::to_string(random());
  const test::ScratchDir scratch("takeback");
  const fs::path folder = scratch.Path() / "Tool";
  const std::string target = folder.string() + "\\";
  fs::create_directories(folder / "daten");
  test::WriteText(folder / "UnInstall.Log", "earlier\r\n");
  test::WriteText(folder / "alt.txt", "alt");
  fs::copy_file(test::HostPath(PELMORA_TESTCOM_REGISTERS), folder / "alt.dll");
  ASSERT_FALSE(winsupport::CreateRegKey(HKEY_CURRENT_USER, keys + "\\Alt"));
  FoundBeforeRun before;
  before.paths = {target + "alt.txt", target + "daten", target + "alt.dll"};
  before.userKeys = {keys + "\\Alt"};
  before.protocol = true;

  // What the run then did and recorded.
  fs::create_directories(folder / "neu");
  for (const char* file : {"alt.txt", "neu.txt", "daten\\neu.txt", "neu\\x.txt"})
    test::WriteText(folder / file, "neu");
  ASSERT_FALSE(winsupport::CreateRegKey(HKEY_CURRENT_USER, keys + "\\Neu"));
  const std::string productEntry =
      contract::UninstallKeyPath("PelmoraTest" + std::to_string(random()));
  ASSERT_FALSE(winsupport::CreateRegKey(HKEY_CURRENT_USER, productEntry));
  ASSERT_FALSE(winsupport::WriteRegString(HKEY_CURRENT_USER, productEntry,
                                          contract::kUninstallStringValue,
                                          contract::UninstallCommand("C:\\Windows\\", target)));
  fs::copy_file(folder / "alt.dll", folder / "neu.dll");
  std::vector<contract::ServerDigest> registered;
  for (const char* server : {"alt.dll", "neu.dll"}) {  // the value names neu.dll last
    const auto digest = RegisterComFile(target + server, true);
    ASSERT_TRUE(std::holds_alternative<std::string>(digest));
    registered.push_back({target + server, std::get<std::string>(digest)});
  }
  contract::Protocol protocol;
  protocol.AddHeader(target, "1/2/2020", "12:34:56");
  for (const char* entry :
       {"alt.txt", "neu.txt", "daten", "daten\\neu.txt", "neu", "neu\\x.txt", "alt.dll", "neu.dll"})
    protocol.AddEntry(target, entry);
  protocol.AddUserKey(keys + "\\Alt");
  protocol.AddUserKey(keys + "\\Neu");
  protocol.AddUserKey(productEntry);
  for (const char* server : {"alt.dll", "neu.dll"}) protocol.AddComServer(target + server);

  const uninstall::Outcome outcome =
      TakeBack(target, protocol, before, registered, productEntry, "");
  const bool entryStays = winsupport::RegKeyExists(HKEY_CURRENT_USER, productEntry);
  const auto serverValue = winsupport::ReadRegString(
      HKEY_CURRENT_USER, "Software\\PelmoraTest\\ComServer", "Registered");
  const bool oldKeyStays = winsupport::RegKeyExists(HKEY_CURRENT_USER, keys + "\\Alt");
  const bool newKeyStays = winsupport::RegKeyExists(HKEY_CURRENT_USER, keys + "\\Neu");
  winsupport::DeleteRegKey(HKEY_CURRENT_USER, keys);
  winsupport::DeleteRegKey(HKEY_CURRENT_USER, "Software\\PelmoraTest\\ComServer");

  ASSERT_EQ(outcome.left.size(), 1u);
  EXPECT_EQ(outcome.left[0].refusal.reason, contract::Reason::NotEmpty);
  EXPECT_EQ(outcome.left[0].refusal.detail, folder.string());
  EXPECT_EQ(outcome.removed.files, 4u);
  EXPECT_EQ(outcome.removed.servers, 1u);
  EXPECT_FALSE(serverValue) << *serverValue;
  EXPECT_TRUE(fs::exists(folder / "alt.dll"));
  EXPECT_EQ(outcome.removed.folders, 1u);
  EXPECT_EQ(outcome.removed.keys, 2u);
  EXPECT_FALSE(entryStays);
  EXPECT_TRUE(oldKeyStays);
  EXPECT_FALSE(newKeyStays);
  EXPECT_EQ(test::ReadText(folder / "alt.txt"), "neu");
  EXPECT_EQ(test::ReadText(folder / "UnInstall.Log"), "earlier\r\n");
  EXPECT_TRUE(fs::is_directory(folder / "daten"));
  for (const char* gone : {"neu.txt", "daten\\neu.txt", "neu", "neu.dll"})
    EXPECT_FALSE(fs::exists(folder / gone)) << gone;
}

}  // namespace
}  // namespace pelmora::install
