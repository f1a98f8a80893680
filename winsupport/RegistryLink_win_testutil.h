// A registry key that Windows will not delete, for tests that see what a
// failed deletion reports: below it lies a link to a key that does not
// exist, which cannot be opened to be emptied, so the key keeps a subkey
// and stays (ERROR_ACCESS_DENIED). An access list that denies deletion would
// be the natural way, but the emulator the tests run under does not enforce
// one on registry keys; a dangling link behaves alike there and on Windows.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "common/WinHandle.h"

namespace pelmora::test {

// Makes root\path\`link` a link to a key that does not exist.
inline void AddDanglingLink(HKEY root, const std::string& path, const char* link) {
  const std::wstring name(std::wstring(path.begin(), path.end()) + L"\\" +
                          std::wstring(link, link + std::char_traits<char>::length(link)));
  win::UniqueRegKey key;
  ASSERT_EQ(::RegCreateKeyExW(root, name.c_str(), 0, nullptr,
                              REG_OPTION_VOLATILE | REG_OPTION_CREATE_LINK,
                              KEY_ALL_ACCESS | KEY_CREATE_LINK, nullptr, key.Receive(), nullptr),
            ERROR_SUCCESS)
      << path;
  const std::wstring target = L"\\Registry\\Machine\\Software\\PelmoraTestNowhere\\Missing";
  ASSERT_EQ(::RegSetValueExW(key.Get(), L"SymbolicLinkValue", 0, REG_LINK,
                             reinterpret_cast<const BYTE*>(target.data()),
                             static_cast<DWORD>(target.size() * sizeof(wchar_t))),
            ERROR_SUCCESS);
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
