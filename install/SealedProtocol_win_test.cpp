#include "install/SealedProtocol_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "TestFiles.h"
#include "TestPaths.h"
#include "common/Allocation.h"
#include "common/WinHandle.h"
#include "contract/ProductFiles.h"
#include "contract/Seal.h"
#include "contract/Sha256.h"
#include "contract/UninstallEntry.h"
#include "winsupport/Registry_win.h"
#include "winsupport/Seal_win.h"

namespace pelmora::install {
namespace {

constexpr const char* kKey = "Software\\PelmoraTest\\SealedProtocol";

DWORD RunToEnd(const std::string& commandLine) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  std::string line = commandLine;
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &info))
    throw std::runtime_error("cannot start " + commandLine);
  const win::UniqueHandle process(info.hProcess);
  const win::UniqueHandle thread(info.hThread);
  WaitForSingleObject(process.Get(), 60000);
  DWORD code = 0;
  GetExitCodeProcess(process.Get(), &code);
  return code;
}

// A run that runs out of memory while it seals its block ends with the
// out-of-memory exit code at once, and whenever that happens the protocol
// and its digest are still the earlier run's: the block is either written
// and sealed or not written at all. The writer is started once for each
// request that can fail, until it needs no more than it was given.
TEST(SealedProtocolWin, RunningOutOfMemoryLeavesTheProtocolAndItsSealWhole) {
  const test::ScratchDir target("sealed-protocol");
  const std::string dir = target.Str() + "\\";
  ASSERT_FALSE(winsupport::CreateRegKey(HKEY_CURRENT_USER, kKey));
  const std::string first = "[first run]\r\nfile.txt\r\n";
  const SealingEntries entries{kKey, {HKEY_CURRENT_USER}};
  ASSERT_TRUE(
      std::holds_alternative<WrittenProtocol>(WriteSealedProtocol(dir, first, entries, {})));

  const std::string second = "[second-run]";
  int endedForWantOfMemory = 0;
  for (int failAt = 0;; ++failAt) {
    ASSERT_LT(failAt, 400) << "the writer never got through";
    const DWORD code =
        RunToEnd("\"" + test::HostPath(PELMORA_TESTPROG_SEALING_WITHOUT_MEMORY) + "\" \"" +
                 target.Str() + "\" " + kKey + " " + std::to_string(failAt) + " " + second);
    const std::string content = test::ReadText(target.Path() / contract::kProtocolFileName);
    const auto digest =
        winsupport::ReadRegString(HKEY_CURRENT_USER, kKey, contract::kProtocolDigestValue);
    if (code == static_cast<DWORD>(common::kOutOfMemoryExitCode)) {
      ++endedForWantOfMemory;
      EXPECT_EQ(content, first) << "request " << failAt;
      EXPECT_EQ(digest, contract::Sha256Hex(first)) << "request " << failAt;
      continue;
    }
    EXPECT_EQ(code, 0u) << "request " << failAt;
    EXPECT_EQ(content, first + second);
    EXPECT_EQ(digest, contract::Sha256Hex(first + second));
    break;
  }
  EXPECT_GT(endedForWantOfMemory, 5);
  winsupport::DeleteRegKey(HKEY_CURRENT_USER, kKey);
}

std::string SetAsideName(const common::WinResult<WrittenProtocol>& written) {
  if (const auto* failure = std::get_if<common::WinFailure>(&written))
    return "failure " + failure->what + " " + std::to_string(failure->code);
  return std::get<WrittenProtocol>(written).setAside;
}

// An elevated run keeps the entry's values where they were and a copy in
// the entry's seal below HKEY_LOCAL_MACHINE. A program of the user's that
// rewrites the protocol (a server line added) and the user's entry (its
// digest) vouches for nothing to an elevated program: the next elevated run
// that seals keeps that file aside and seals none of it. Once the entry is gone, the
// seal and the seals' keys left empty go too.
TEST(SealedProtocolWin, ElevatedRunsTrustOnlyTheSealBelowTheMachine) {
  const test::ScratchDir target("sealed-elevated");
  const std::string dir = target.Str() + "\\";
  const std::string key = contract::UninstallKeyPath("PelmoraTestSeal");
  const std::string seal = "Software\\Pelmora\\Seals\\HKEY_CURRENT_USER\\PelmoraTestSeal";
  ASSERT_FALSE(winsupport::CreateRegKey(HKEY_CURRENT_USER, key));
  const std::string first = "[first run]\r\n";
  const std::string servers = "aa11*" + dir + "a.dll";
  EXPECT_EQ(SetAsideName(WriteSealedProtocol(dir, first, {key, {HKEY_CURRENT_USER}, true},
                                             {{dir + "a.dll", "aa11"}})),
            "");
  for (const auto& [root, path] : {std::pair{HKEY_CURRENT_USER, key}, {HKEY_LOCAL_MACHINE, seal}}) {
    EXPECT_EQ(winsupport::ReadRegString(root, path, "ProtocolDigest"), contract::Sha256Hex(first));
    EXPECT_EQ(winsupport::ReadRegString(root, path, "ServerDigests"), servers);
  }

  const std::string forged = first + "o" + dir + "evil.dll\r\n";
  test::WriteText(target.Path() / contract::kProtocolFileName, forged);
  ASSERT_FALSE(winsupport::WriteRegString(HKEY_CURRENT_USER, key, "ProtocolDigest",
                                          contract::Sha256Hex(forged)));
  ASSERT_FALSE(winsupport::WriteRegString(HKEY_CURRENT_USER, key, "ServerDigests",
                                          "bb22*" + dir + "evil.dll"));
  const winsupport::RecordedSeal trusted = winsupport::ReadSeal(HKEY_CURRENT_USER, key, true);
  EXPECT_EQ(trusted.protocolDigest, contract::Sha256Hex(first));
  EXPECT_EQ(trusted.serverDigests, servers);
  EXPECT_EQ(winsupport::ReadSeal(HKEY_CURRENT_USER, key, false).protocolDigest,
            contract::Sha256Hex(forged));
  // The user's entry seals nothing under the machine's root.
  EXPECT_EQ(winsupport::ReadSeal(HKEY_LOCAL_MACHINE, key, true).protocolDigest, std::nullopt);

  // A run without an entry seals nothing, so it only appends; one that
  // seals keeps the forged file aside and seals its own block alone.
  const std::string second = "[no entry]\r\n", third = "[third run]\r\n";
  EXPECT_EQ(SetAsideName(WriteSealedProtocol(dir, second, {key, {}, true}, {})), "");
  EXPECT_EQ(winsupport::ReadRegString(HKEY_LOCAL_MACHINE, seal, "ProtocolDigest"),
            contract::Sha256Hex(first));
  EXPECT_EQ(SetAsideName(WriteSealedProtocol(dir, third, {key, {HKEY_CURRENT_USER}, true}, {})),
            "UnInstall.Log.unsealed");
  EXPECT_EQ(test::ReadText(target.Path() / "UnInstall.Log.unsealed"), forged + second);
  EXPECT_EQ(test::ReadText(target.Path() / contract::kProtocolFileName), third);
  EXPECT_EQ(winsupport::ReadRegString(HKEY_LOCAL_MACHINE, seal, "ProtocolDigest"),
            contract::Sha256Hex(third));
  // The user's forged server digest is never merged into the seal.
  EXPECT_EQ(winsupport::ReadRegString(HKEY_LOCAL_MACHINE, seal, "ServerDigests"), servers);

  EXPECT_FALSE(winsupport::RemoveSealOfRemovedEntry(HKEY_CURRENT_USER, key));
  EXPECT_TRUE(winsupport::RegKeyExists(HKEY_LOCAL_MACHINE, seal)) << "the entry is still there";
  winsupport::DeleteRegKey(HKEY_CURRENT_USER, key);
  EXPECT_FALSE(winsupport::RemoveSealOfRemovedEntry(HKEY_CURRENT_USER, key));
  EXPECT_FALSE(winsupport::RegKeyExists(HKEY_LOCAL_MACHINE, seal));
  EXPECT_FALSE(
      winsupport::RegKeyExists(HKEY_LOCAL_MACHINE, "Software\\Pelmora\\Seals\\HKEY_CURRENT_USER"));
}

// A run that writes no entry of its own (its uninstaller or entry failed)
// appends its block under the earlier entry's seal, so every block stays
// provable. A protocol no entry vouches for (an earlier release wrote none)
// is never emptied: it is kept under the next free name.
TEST(SealedProtocolWin, EarlierBlocksStayProvableAndUnsealedOnesAreKept) {
  const test::ScratchDir target("sealed-update");
  const std::string dir = target.Str() + "\\";
  const std::string key = contract::UninstallKeyPath("PelmoraTestSealUpdate");
  const std::string older = contract::UninstallKeyPath("PelmoraTestSealOlder");
  ASSERT_FALSE(winsupport::CreateRegKey(HKEY_CURRENT_USER, key));
  ASSERT_FALSE(winsupport::CreateRegKey(HKEY_CURRENT_USER, older));
  const std::string first = "[first run]\r\n", second = "[failed update]\r\n";
  EXPECT_EQ(SetAsideName(WriteSealedProtocol(dir, first, {key, {HKEY_CURRENT_USER}}, {})), "");
  EXPECT_EQ(SetAsideName(WriteSealedProtocol(dir, second, {key, {}}, {})), "");
  EXPECT_EQ(test::ReadText(target.Path() / contract::kProtocolFileName), first + second);
  EXPECT_EQ(winsupport::ReadRegString(HKEY_CURRENT_USER, key, "ProtocolDigest"),
            contract::Sha256Hex(first + second));

  test::WriteText(target.Path() / "UnInstall.Log.unsealed", "taken");
  const std::string third = "[other entry]\r\n";
  EXPECT_EQ(SetAsideName(WriteSealedProtocol(dir, third, {older, {HKEY_CURRENT_USER}}, {})),
            "UnInstall.Log.unsealed2");
  EXPECT_EQ(test::ReadText(target.Path() / "UnInstall.Log.unsealed2"), first + second);
  EXPECT_EQ(test::ReadText(target.Path() / "UnInstall.Log.unsealed"), "taken");
  EXPECT_EQ(test::ReadText(target.Path() / contract::kProtocolFileName), third);
  EXPECT_EQ(winsupport::ReadRegString(HKEY_CURRENT_USER, older, "ProtocolDigest"),
            contract::Sha256Hex(third));
  winsupport::DeleteRegKey(HKEY_CURRENT_USER, key);
  winsupport::DeleteRegKey(HKEY_CURRENT_USER, older);
}

}  // namespace
}  // namespace pelmora::install
