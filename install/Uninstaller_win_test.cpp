#include "install/Uninstaller_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "TestFiles.h"
#include "TestPaths.h"
#include "common/WinHandle.h"
#include "install/FailureText_win.h"

namespace pelmora::install {
namespace {

test::Bytes Program(std::size_t size, std::uint8_t seed) {
  test::Bytes bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 13 + seed);
  return bytes;
}

std::uint32_t WriteOpenCode(const std::filesystem::path& file) {
  const win::UniqueHandle handle(::CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                               nullptr, OPEN_EXISTING, 0, nullptr));
  return handle ? 0 : ::GetLastError();
}

// An update: the new uninstaller (as the old one, without a version
// resource: the same version) replaces the one in the Windows directory,
// byte for byte, leaves the target directory, and the progress runs from 0
// to its size in blocks, while no one can write the source.
TEST(UninstallerTest, TheUninstallerMovesIntoTheWindowsDirectoryReplacingTheOldOne) {
  const test::ScratchDir target("uninstaller-target");
  const test::ScratchDir windows("uninstaller-windows");
  const test::Bytes program = Program(5 * 2048 + 77, 1);
  test::WriteBytes(target.Path() / "stUnInst.exe", program);
  test::WriteBytes(windows.Path() / "stUnInst.Exe", Program(9000, 2));
  std::vector<std::uint64_t> positions;

  contract::Protocol protocol;
  StepReport report(RegistrationStep::MoveUninstaller, protocol, nullptr);
  MoveUninstaller(
      target.Str() + "\\", windows.Str() + "\\", true,
      [&](std::uint64_t done, std::uint64_t total) {
        EXPECT_EQ(total, program.size());
        EXPECT_EQ(WriteOpenCode(target.Path() / "stUnInst.exe"),
                  static_cast<std::uint32_t>(ERROR_SHARING_VIOLATION));
        positions.push_back(done);
      },
      report);

  EXPECT_EQ(test::ReadBytes(windows.Path() / "stUnInst.exe"), program);
  EXPECT_FALSE(std::filesystem::exists(target.Path() / "stUnInst.exe"));
  EXPECT_EQ(positions, (std::vector<std::uint64_t>{0, 2048, 4096, 6144, 8192, 10240, 10317}));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(windows.Path()),
                          std::filesystem::directory_iterator()),
            1);

  // Nothing to move: nothing happens.
  MoveUninstaller(
      target.Str() + "\\", windows.Str() + "\\", true,
      [](std::uint64_t, std::uint64_t) { ADD_FAILURE() << "no uninstaller to copy"; }, report);
  EXPECT_EQ(test::ReadBytes(windows.Path() / "stUnInst.exe"), program);
}

// A copy that cannot be made is an I/O error with the system's code, which
// ends the run, and the only copy of the uninstaller stays in the target
// directory. (The version rule between real uninstallers is shown end to
// end: e2e_shared_uninstaller.)
TEST(UninstallerTest, AFailedCopyIsAnIoErrorAndKeepsTheUninstaller) {
  const test::ScratchDir target("uninstaller-target");
  const test::Bytes program = Program(3000, 3);
  test::WriteBytes(target.Path() / "stUnInst.exe", program);
  contract::Protocol protocol;
  StepReport report(RegistrationStep::MoveUninstaller, protocol, nullptr);
  MoveUninstaller(target.Str() + "\\", target.Str() + "\\fehlt\\", true, nullptr, report);
  ASSERT_TRUE(report.Failure().has_value()) << "copied into a folder that does not exist";
  EXPECT_EQ(report.Failure()->what, target.Str() + "\\fehlt\\stUnInst.new");
  EXPECT_EQ(FailureText(*report.Failure()), "E/A-Fehler 3");  // ERROR_PATH_NOT_FOUND
  EXPECT_EQ(test::ReadBytes(target.Path() / "stUnInst.exe"), program);

  // From a target that failed the folder check nothing is copied at all.
  StepReport untrusted(RegistrationStep::MoveUninstaller, protocol, nullptr);
  const test::ScratchDir windows("uninstaller-windows");
  MoveUninstaller(target.Str() + "\\", windows.Str() + "\\", false, nullptr, untrusted);
  ASSERT_TRUE(untrusted.Failure().has_value());
  EXPECT_EQ(untrusted.Failure()->what, target.Str() + "\\stUnInst.exe");
  EXPECT_EQ(untrusted.Failure()->code, static_cast<std::uint32_t>(ERROR_ACCESS_DENIED));
  EXPECT_TRUE(std::filesystem::is_empty(windows.Path()));
}

}  // namespace
}  // namespace pelmora::install
