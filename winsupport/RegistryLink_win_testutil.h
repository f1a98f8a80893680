// Registry links for tests of what deletion does with them: a link below a
// key stands for another key, which a deletion must leave alone. Links are
// made and removed with the documented options for them.
#pragma once

#include <windows.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <string>

#include "common/WinHandle.h"

namespace pelmora::test {

// The kernel's name of HKEY_CURRENT_USER\path, which a link must hold.
inline std::wstring UserKeyName(const std::string& path) {
  HANDLE token = nullptr;
  EXPECT_TRUE(::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token));
  const win::UniqueHandle owned(token);
  alignas(TOKEN_USER) unsigned char buffer[256] = {};
  DWORD size = 0;
  EXPECT_TRUE(::GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size));
  char* sid = nullptr;
  EXPECT_TRUE(::ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &sid));
  const std::string name = "\\Registry\\User\\" + std::string(sid) + "\\" + path;
  ::LocalFree(sid);
  return std::wstring(name.begin(), name.end());
}

// Makes root\path\`link` a link to the key of the kernel's name `target`.
inline void AddLink(HKEY root, const std::string& path, const char* link,
                    const std::wstring& target) {
  const std::wstring name(std::wstring(path.begin(), path.end()) + L"\\" +
                          std::wstring(link, link + std::char_traits<char>::length(link)));
  win::UniqueRegKey key;
  ASSERT_EQ(::RegCreateKeyExW(root, name.c_str(), 0, nullptr,
                              REG_OPTION_VOLATILE | REG_OPTION_CREATE_LINK,
                              KEY_ALL_ACCESS | KEY_CREATE_LINK, nullptr, key.Receive(), nullptr),
            ERROR_SUCCESS)
      << path;
  ASSERT_EQ(::RegSetValueExW(key.Get(), L"SymbolicLinkValue", 0, REG_LINK,
                             reinterpret_cast<const BYTE*>(target.data()),
                             static_cast<DWORD>(target.size() * sizeof(wchar_t))),
            ERROR_SUCCESS);
}

// Whether root\path\`link` is still there as a link (opened as itself).
inline bool LinkExists(HKEY root, const std::string& path, const char* link) {
  win::UniqueRegKey key;
  return ::RegOpenKeyExA(root, (path + "\\" + link).c_str(), REG_OPTION_OPEN_LINK, KEY_QUERY_VALUE,
                         key.Receive()) == ERROR_SUCCESS;
}

// Deletes the link itself (never what it names); NtDeleteKey on the link
// opened as itself is the one way.
inline void RemoveLink(HKEY root, const std::string& path, const char* link) {
  using DeleteKey = LONG(WINAPI*)(HANDLE);
  const auto deleteKey =
      win::LookUpExport<DeleteKey>(::GetModuleHandleA("ntdll.dll"), "NtDeleteKey");
  ASSERT_NE(deleteKey, nullptr);
  win::UniqueRegKey key;
  ASSERT_EQ(::RegOpenKeyExA(root, (path + "\\" + link).c_str(), REG_OPTION_OPEN_LINK, DELETE,
                            key.Receive()),
            ERROR_SUCCESS);
  EXPECT_EQ(deleteKey(key.Get()), 0);
}

}  // namespace pelmora::test
