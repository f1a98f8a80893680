#include <windows.h>

#include <vector>

#include "winsupport/SystemInfo_win.h"
#include "common/WinHandle.h"

namespace pelmora::winsupport {
namespace {

// The thread may impersonate someone; without an own token it acts as the process.
win::UniqueHandle OpenEffectiveToken() {
  win::UniqueHandle token;
  if (::OpenThreadToken(::GetCurrentThread(), TOKEN_QUERY, TRUE, token.Receive())) return token;
  if (::GetLastError() != ERROR_NO_TOKEN) return {};
  if (::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.Receive())) return token;
  return {};
}

// The buffer is kept in pointer-sized units so that TOKEN_GROUPS is aligned.
std::vector<ULONG_PTR> ReadTokenGroups(HANDLE token) {
  DWORD size = 0;
  if (::GetTokenInformation(token, TokenGroups, nullptr, 0, &size) ||
      ::GetLastError() != ERROR_INSUFFICIENT_BUFFER || size == 0)
    return {};
  std::vector<ULONG_PTR> buffer((size + sizeof(ULONG_PTR) - 1) / sizeof(ULONG_PTR));
  if (!::GetTokenInformation(token, TokenGroups, buffer.data(), size, &size)) return {};
  return buffer;
}

}  // namespace

bool HoldsAdministratorsGroup(const TOKEN_GROUPS& groups, bool enabledOnly) {
  SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
  win::AllocatedSid administrators;
  if (!::AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                  DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                  administrators.Receive()))
    return false;
  // Membership counts whatever the group's attributes say: an administrator
  // whose token UAC has filtered holds the group for deny only, and still
  // is one (Windows asks before it lets the setup run elevated).
  for (DWORD i = 0; i < groups.GroupCount; ++i)
    if (::EqualSid(groups.Groups[i].Sid, administrators.Get()))
      return !enabledOnly || (groups.Groups[i].Attributes & SE_GROUP_ENABLED) != 0;
  return false;
}

namespace {

bool TokenHoldsAdministratorsGroup(bool enabledOnly) {
  if (CurrentWindowsVersionFacts().platform != WindowsPlatform::WindowsNT) return false;
  const win::UniqueHandle token = OpenEffectiveToken();
  if (!token) return false;
  const std::vector<ULONG_PTR> buffer = ReadTokenGroups(token.Get());
  if (buffer.empty()) return false;
  return HoldsAdministratorsGroup(*reinterpret_cast<const TOKEN_GROUPS*>(buffer.data()),
                                  enabledOnly);
}

}  // namespace

bool IsAdministrator() { return TokenHoldsAdministratorsGroup(false); }

bool RunsWithAdministratorRights() { return TokenHoldsAdministratorsGroup(true); }

}  // namespace pelmora::winsupport
