#include "install/ComServers_win.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "TestFiles.h"
#include "TestPaths.h"
#include "contract/Sha256.h"
#include "install/FailureText_win.h"
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
  RegisterComServers(targetDir, description, report, registered);

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
  RegisterComServers(targetDir, description, silent, registered);
  EXPECT_TRUE(none.Lines().empty());
  EXPECT_TRUE(registered.empty());
}

}  // namespace
}  // namespace pelmora::install
