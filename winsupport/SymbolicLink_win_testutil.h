// A symbolic link made from a test, for the tests of what the programs do
// when a folder turns into a link. The emulator the tests run under makes
// no link from inside, but it starts a host program given by its path and
// reports the host's symbolic links as links (FILE_ATTRIBUTE_REPARSE_POINT),
// so the link is made by the host's own "ln" on drive Z:, which is the
// host's root there. Elsewhere the helper fails the test that needs it.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "common/WinHandle.h"

namespace pelmora::test {

// "Z:\\a\\b" as the host spells it: "/a/b".
inline std::string HostSpelling(const std::string& path) {
  std::string host = path.substr(2);
  for (char& c : host)
    if (c == '\\') c = '/';
  return host;
}

// Makes link (a path on drive Z: that does not exist) a symbolic link to
// target.
inline void MakeSymbolicLink(const std::string& target, const std::string& link) {
  ASSERT_EQ(link.substr(0, 3), "Z:\\") << link;
  std::string command =
      "/bin/ln -s \"" + HostSpelling(target) + "\" \"" + HostSpelling(link) + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  ASSERT_TRUE(::CreateProcessA("Z:\\bin\\ln", command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &started))
      << "no host program to make a link: " << ::GetLastError();
  const win::UniqueHandle process(started.hProcess), thread(started.hThread);
  // A host program's handle cannot be waited for there: the link is.
  DWORD attributes = INVALID_FILE_ATTRIBUTES;
  for (int tries = 0; tries < 300 && attributes == INVALID_FILE_ATTRIBUTES; ++tries) {
    ::Sleep(10);
    attributes = ::GetFileAttributesA(link.c_str());
  }
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES) << link;
  ASSERT_NE(attributes & FILE_ATTRIBUTE_REPARSE_POINT, 0u) << link;
}

}  // namespace pelmora::test
