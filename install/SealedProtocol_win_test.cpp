#include "install/SealedProtocol_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "TestFiles.h"
#include "TestPaths.h"
#include "common/Allocation.h"
#include "common/WinHandle.h"
#include "contract/ProductFiles.h"
#include "contract/Seal.h"
#include "contract/Sha256.h"
#include "winsupport/Registry_win.h"

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
  ASSERT_FALSE(WriteSealedProtocol(dir, first, entries, {}).has_value());

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

}  // namespace
}  // namespace pelmora::install
