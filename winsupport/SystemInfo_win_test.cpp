#include <gtest/gtest.h>

#include "winsupport/ChildProcess_win_testutil.h"
#include "winsupport/SystemInfo.h"
#include "common/WinHandle.h"

namespace pelmora::winsupport {
namespace {

TEST(FileVersionString, FileVersionOfTheResource) {
  EXPECT_EQ(GetFileVersionString(test::VersionedProgram()), "1.2.3.4");
}

TEST(FileVersionString, ZeroWithoutResourceOrFile) {
  EXPECT_EQ(GetFileVersionString(test::ClosingProgram()), "0");
  EXPECT_EQ(GetFileVersionString("C:\\nowhere\\missing.exe"), "0");
  EXPECT_EQ(GetFileVersionString(""), "0");
}

TEST(WindowsVersionFacts, ComeFromThisWindowsAndItsKernel) {
  const WindowsVersionFacts& facts = CurrentWindowsVersionFacts();
  // GetVersion() packs the same numbers into one word, independently.
  const DWORD packed = ::GetVersion();
  EXPECT_EQ(facts.major, LOBYTE(LOWORD(packed)));
  EXPECT_EQ(facts.minor, HIBYTE(LOWORD(packed)));
  EXPECT_EQ(facts.platform,
            (packed & 0x80000000u) ? WindowsPlatform::Windows9x : WindowsPlatform::WindowsNT);
  char kernel[MAX_PATH] = {};
  ASSERT_NE(::GetModuleFileNameA(::GetModuleHandleA("kernel32.dll"), kernel, MAX_PATH), 0u);
  const auto kernelVersion = ReadFixedFileVersion(kernel);
  ASSERT_TRUE(kernelVersion.has_value());
  EXPECT_EQ(facts.kernel32ProductVersionMS, kernelVersion->productMS);
  EXPECT_NE(facts.kernel32ProductVersionMS, 0u);
  EXPECT_EQ(&facts, &CurrentWindowsVersionFacts()) << "the facts are computed once";
}

TEST(IsAdministrator, AgreesWithTheTokenMembershipCheck) {
  SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
  win::AllocatedSid administrators;
  ASSERT_TRUE(::AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                         DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                         administrators.Receive()));
  BOOL member = FALSE;
  ASSERT_TRUE(::CheckTokenMembership(nullptr, administrators.Get(), &member));
  EXPECT_EQ(IsAdministrator(), member != FALSE);
}

}  // namespace
}  // namespace pelmora::winsupport
