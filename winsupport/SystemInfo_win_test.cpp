#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "winsupport/ChildProcess_win_testutil.h"
#include "winsupport/SystemInfo_win.h"
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
  EXPECT_EQ(facts.platform, (packed & 0x80000000u) ? winrules::WindowsPlatform::Windows9x
                                                   : winrules::WindowsPlatform::WindowsNT);
  char kernel[MAX_PATH] = {};
  ASSERT_NE(::GetModuleFileNameA(::GetModuleHandleA("kernel32.dll"), kernel, MAX_PATH), 0u);
  const auto kernelVersion = ReadFixedFileVersion(kernel);
  ASSERT_TRUE(kernelVersion.has_value());
  EXPECT_EQ(facts.kernel32ProductVersionMS, kernelVersion->productMS);
  EXPECT_NE(facts.kernel32ProductVersionMS, 0u);
  EXPECT_EQ(&facts, &CurrentWindowsVersionFacts()) << "the facts are computed once";
}

// The group counts in any state, deny-only included (an administrator's
// token as UAC filters it), for the rights only enabled; the other
// well-known groups do not.
TEST(IsAdministrator, TheAdministratorsGroupInAnyStateAndNoOtherGroup) {
  SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
  win::AllocatedSid administrators, users;
  ASSERT_TRUE(::AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                         DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                         administrators.Receive()));
  ASSERT_TRUE(::AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                         DOMAIN_ALIAS_RID_USERS, 0, 0, 0, 0, 0, 0,
                                         users.Receive()));
  // A token's groups as Windows hands them over: the count, then the entries.
  struct Groups {
    DWORD count;
    SID_AND_ATTRIBUTES entries[2];
  };
  const auto holds = [](const Groups& groups, bool enabledOnly) {
    std::vector<ULONG_PTR> buffer(sizeof(Groups) / sizeof(ULONG_PTR) + 1);
    std::memcpy(buffer.data(), &groups, sizeof groups);
    return HoldsAdministratorsGroup(*reinterpret_cast<const TOKEN_GROUPS*>(buffer.data()),
                                    enabledOnly);
  };
  // Filtered, the group is there but gives no rights.
  Groups token{
      2, {{users.Get(), SE_GROUP_ENABLED}, {administrators.Get(), SE_GROUP_USE_FOR_DENY_ONLY}}};
  EXPECT_TRUE(holds(token, false));
  EXPECT_FALSE(holds(token, true));
  token.entries[1].Attributes = SE_GROUP_ENABLED;
  EXPECT_TRUE(holds(token, false));
  EXPECT_TRUE(holds(token, true));
  token.count = 1;
  EXPECT_FALSE(holds(token, false));
  // The emulator runs every program as an administrator, with the group enabled.
  EXPECT_TRUE(IsAdministrator());
  EXPECT_TRUE(RunsWithAdministratorRights());
}

}  // namespace
}  // namespace pelmora::winsupport
