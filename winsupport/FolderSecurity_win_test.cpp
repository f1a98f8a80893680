#include "winsupport/FolderSecurity_win.h"

#include <aclapi.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include "TestPaths.h"
#include "common/WinHandle.h"
#include "winsupport/Files_win.h"
#include "winsupport/SystemInfo_win.h"

namespace pelmora::winsupport {
namespace {

// The folder's access list in Windows' text form, "" when unreadable.
std::string AccessListText(const std::string& folder) {
  PACL dacl = nullptr;
  win::LocalMemory<void> descriptor;
  win::LocalMemory<char> text;
  if (::GetNamedSecurityInfoA(folder.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                              nullptr, &dacl, nullptr, descriptor.Receive()) != ERROR_SUCCESS ||
      !::ConvertSecurityDescriptorToStringSecurityDescriptorA(
          descriptor.Get(), SDDL_REVISION_1, DACL_SECURITY_INFORMATION, text.Receive(), nullptr))
    return {};
  return text.Get();
}

// Whether anyone but the named accounts gets a right, or an entry came
// from above: what the protected list must not hold. Windows writes an
// inherited entry with "ID", Wine an entry for everyone with "WD".
bool InheritsOrOpensToAll(const std::string& accessList) {
  return accessList.find(";ID") != std::string::npos ||
         accessList.find(";WD)") != std::string::npos;
}

TEST(FolderSecurity, ChainWalkAndTheProtectedListOfMadeFolders) {
  const test::ScratchDir dir("folder-security");
  EXPECT_EQ(CurrentUserSid().rfind("S-1-5-", 0), 0u) << CurrentUserSid();
  // A drive that is not there cannot be examined; "/" is read as "\\".
  const auto noDrive = CheckFolderChain("Q:/Firma/Produkt/");
  ASSERT_TRUE(noDrive);
  EXPECT_EQ(noDrive->reason, contract::Reason::LinkedFolder);
  EXPECT_EQ(noDrive->detail, "Q:\\");

  const std::string base = dir.Str();
  if (const auto refusal = CheckFolderChain(base))
    GTEST_SKIP() << "the build tree lies below " << refusal->detail
                 << ", which other accounts could change";
  // Missing folders are judged by those above them; with or without the
  // last backslash.
  EXPECT_FALSE(CheckFolderChain(base + "\\"));
  EXPECT_FALSE(CheckFolderChain(base + "\\Firma\\Produkt\\"));

  if (!RunsWithAdministratorRights())
    GTEST_SKIP() << "folders get the protected list only as administrator";
  const std::vector<std::string> made = CreateFolderTree(base + "\\Firma\\Produkt");
  ASSERT_EQ(made.size(), 2u);
  ASSERT_TRUE(::CreateDirectoryA((base + "\\Offen").c_str(), nullptr));
  EXPECT_FALSE(InheritsOrOpensToAll(AccessListText(made[0])));
  EXPECT_FALSE(InheritsOrOpensToAll(AccessListText(made[1])));
  EXPECT_TRUE(InheritsOrOpensToAll(AccessListText(base + "\\Offen")));
  EXPECT_FALSE(CheckFolderChain(made[1]));
}

}  // namespace
}  // namespace pelmora::winsupport
