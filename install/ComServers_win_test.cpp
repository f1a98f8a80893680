#include "install/ComServers_win.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "TestPaths.h"
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
  description.OcxLast = 2;
  description.OcxFiles[0] = "missing.dll";
  description.OcxFiles[1] = "fails.dll";
  description.OcxFiles[2] = "bin\\registers.ocx";
  contract::Protocol protocol;
  std::vector<std::string> notices;
  StepReport report(RegistrationStep::ComServers, protocol,
                    [&](const std::string& message) { notices.push_back(message); });
  RegisterComServers(targetDir, description, report);

  EXPECT_EQ(notices, (std::vector<std::string>{"Failed to register " + targetDir + "missing.dll",
                                               "Failed to register " + targetDir + "fails.dll"}));
  EXPECT_EQ(protocol.Lines(), (std::vector<std::string>{"o" + targetDir + "bin\\registers.ocx"}));
  const auto registered = winsupport::ReadRegString(HKEY_CURRENT_USER, kMarkerKey, "Registered");
  ASSERT_TRUE(registered.has_value());
  EXPECT_TRUE(std::filesystem::equivalent(*registered, target.Path() / "bin" / "registers.ocx"))
      << *registered;
  EXPECT_EQ(::GetModuleHandleA((targetDir + "bin\\registers.ocx").c_str()), nullptr);
  EXPECT_EQ(::GetModuleHandleA((targetDir + "fails.dll").c_str()), nullptr);
  winsupport::DeleteRegKey(HKEY_CURRENT_USER, kMarkerKey);

  // No servers: nothing registered, nothing said.
  description.OcxLast = -1;
  notices.clear();
  contract::Protocol none;
  StepReport silent(RegistrationStep::ComServers, none,
                    [&](const std::string& message) { ADD_FAILURE() << message; });
  RegisterComServers(targetDir, description, silent);
  EXPECT_TRUE(none.Lines().empty());
}

}  // namespace
}  // namespace pelmora::install
