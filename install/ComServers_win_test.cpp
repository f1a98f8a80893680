#include "install/ComServers_win.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "TestFiles.h"
#include "TestPaths.h"
#include "contract/Sha256.h"
#include "install/FailureText_win.h"
#include "winsupport/ComServer_win.h"
#include "winsupport/Registry_win.h"

namespace pelmora::install {
namespace {

constexpr const char* kMarkerKey = "Software\\PelmoraTest\\ComServer";

// The servers are registered from the target directory: a missing one, one
// that refuses, one in a subfolder that registers. Each failure is one
// notice, the one success the only "o" line; the library is freed again.
TEST(ComServersTest, EachServerIsRegisteredFromTheTargetDirectoryOrNamedInANotice) {
  const test::ScratchDir target("com-servers");
  const std::string targetDir = target.Str() + "\\";
  std::filesystem::create_directory(target.Path() / "bin");
  std::filesystem::copy_file(test::HostPath(PELMORA_TESTCOM_FAILS), target.Path() / "fails.dll");
  std::filesystem::copy_file(test::HostPath(PELMORA_TESTCOM_REGISTERS),
                             target.Path() / "bin" / "registers.ocx");
  winsupport::DeleteRegKey(HKEY_CURRENT_USER, kMarkerKey);

  setupdesc::SetupDescription description;
  description.OcxLast = 3;
  description.OcxFiles[0] = "missing.dll";
  description.OcxFiles[1] = "fails.dll";
  description.OcxFiles[2] = "bin\\registers.ocx";
  // The same file by a way the name rule refuses: never loaded.
  description.OcxFiles[3] = "bin\\..\\bin\\registers.ocx";
  contract::Protocol protocol;
  std::vector<std::string> notices;
  StepReport report(RegistrationStep::ComServers, protocol, [&](const common::WinFailure& failure) {
    notices.push_back(FailureText(failure));
  });
  std::vector<contract::ServerDigest> registered;
  RegisterComServers(targetDir, description, true, report, registered);

  EXPECT_EQ(notices, (std::vector<std::string>{
                         "Failed to register " + targetDir + "missing.dll",
                         "Failed to register " + targetDir + "fails.dll",
                         "Failed to register " + targetDir + "bin\\..\\bin\\registers.ocx"}));
  EXPECT_EQ(protocol.Lines(), (std::vector<std::string>{"o" + targetDir + "bin\\registers.ocx"}));
  // The digest of the very file registered, for the uninstaller's check.
  const std::string server = targetDir + "bin\\registers.ocx";
  EXPECT_EQ(
      registered,
      (std::vector<contract::ServerDigest>{{server, contract::Sha256Hex(test::ReadText(server))}}));
  const auto marker = winsupport::ReadRegString(HKEY_CURRENT_USER, kMarkerKey, "Registered");
  ASSERT_TRUE(marker.has_value());
  EXPECT_TRUE(std::filesystem::equivalent(*marker, target.Path() / "bin" / "registers.ocx"))
      << *marker;
  EXPECT_EQ(::GetModuleHandleA((targetDir + "bin\\registers.ocx").c_str()), nullptr);
  EXPECT_EQ(::GetModuleHandleA((targetDir + "fails.dll").c_str()), nullptr);
  winsupport::DeleteRegKey(HKEY_CURRENT_USER, kMarkerKey);

  // No servers: nothing registered, nothing said.
  description.OcxLast = -1;
  notices.clear();
  contract::Protocol none;
  StepReport silent(RegistrationStep::ComServers, none,
                    [&](const common::WinFailure& failure) { ADD_FAILURE() << failure.what; });
  registered.clear();
  RegisterComServers(targetDir, description, true, silent, registered);
  EXPECT_TRUE(none.Lines().empty());
  EXPECT_TRUE(registered.empty());
}

// The digest is taken block by block as the held file is read and equals
// the whole file's; no one can write the file while it is held. What the
// server imports is looked for in its own folder only when that folder is
// trusted: else the library beside it is not found and nothing is called.
TEST(ComServersTest, AHeldServersDigestIsTheWholeFilesAndItsFolderIsSearchedOnlyWhenTrusted) {
  const test::ScratchDir target("com-imports");
  const std::string server = target.Str() + "\\dependent.ocx";
  std::filesystem::copy_file(test::HostPath(PELMORA_TESTCOM_DEPENDENT), server);
  std::filesystem::copy_file(test::HostPath(PELMORA_TESTCOM_HELPER),
                             target.Path() / "pelmora_testcom_helper.dll");
  winsupport::DeleteRegKey(HKEY_CURRENT_USER, kMarkerKey);
  const std::string bytes = test::ReadText(server);
  ASSERT_GT(bytes.size(), 3 * 16384u) << "the file must span several blocks";

  auto held = winsupport::HoldServer(server);
  ASSERT_TRUE(std::holds_alternative<winsupport::HeldServer>(held));
  const auto& file = std::get<winsupport::HeldServer>(held);
  EXPECT_EQ(file.digest, contract::Sha256Hex(bytes));
  const win::UniqueHandle writer(::CreateFileA(server.c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                               nullptr, OPEN_EXISTING, 0, nullptr));
  EXPECT_FALSE(writer);
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));

  const auto untrusted = winsupport::CallServerEntry(file, "DllRegisterServer", false);
  ASSERT_TRUE(untrusted.has_value()) << "the library beside the server was found";
  EXPECT_EQ(untrusted->code, static_cast<std::uint32_t>(ERROR_MOD_NOT_FOUND));
  EXPECT_EQ(untrusted->what, server);
  EXPECT_FALSE(winsupport::ReadRegString(HKEY_CURRENT_USER, kMarkerKey, "Registered"));

  EXPECT_FALSE(winsupport::CallServerEntry(file, "DllRegisterServer", true));
  EXPECT_TRUE(winsupport::ReadRegString(HKEY_CURRENT_USER, kMarkerKey, "Registered"));
  // Registration as the run does it gives the same digest, and a
  // missing entry is the loader's code.
  EXPECT_EQ(std::get<std::string>(RegisterComFile(server, true)), file.digest);
  const auto missing = winsupport::CallServerEntry(file, "DllMissingEntry", true);
  ASSERT_TRUE(missing.has_value());
  EXPECT_EQ(missing->code, static_cast<std::uint32_t>(ERROR_PROC_NOT_FOUND));
  winsupport::DeleteRegKey(HKEY_CURRENT_USER, kMarkerKey);
}

}  // namespace
}  // namespace pelmora::install
