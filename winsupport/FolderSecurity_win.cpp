#include "winsupport/FolderSecurity_win.h"

#include <aclapi.h>
#include <sddl.h>

#include <algorithm>
#include <vector>

#include "common/WinHandle.h"
#include "winrules/FolderAccess.h"

namespace pelmora::winsupport {
namespace {

using winrules::AccessEntry;
using winrules::FolderFacts;

std::string SidText(PSID sid) {
  win::LocalMemory<char> text;
  if (sid == nullptr || !::IsValidSid(sid) || !::ConvertSidToStringSidA(sid, text.Receive()))
    return {};
  return text.Get();
}

bool IsDenyEntry(BYTE type) {
  return type == ACCESS_DENIED_ACE_TYPE || type == ACCESS_DENIED_OBJECT_ACE_TYPE ||
         type == ACCESS_DENIED_CALLBACK_ACE_TYPE || type == ACCESS_DENIED_CALLBACK_OBJECT_ACE_TYPE;
}

bool IsObjectEntry(BYTE type) {
  return type == ACCESS_ALLOWED_OBJECT_ACE_TYPE || type == ACCESS_DENIED_OBJECT_ACE_TYPE ||
         type == ACCESS_ALLOWED_CALLBACK_OBJECT_ACE_TYPE ||
         type == ACCESS_DENIED_CALLBACK_OBJECT_ACE_TYPE;
}

// Every entry but a deny counts as one that allows: a kind this code does
// not know may grant something and must not be passed over.
AccessEntry ReadEntry(const ACE_HEADER& header) {
  // All kinds hold the mask right after the header; the plain ones the
  // identifier after it, the object kinds after their flags and the GUIDs
  // those flags say are present.
  const auto* bytes = reinterpret_cast<const BYTE*>(&header);
  const auto& plain = reinterpret_cast<const ACCESS_ALLOWED_ACE&>(header);
  std::size_t sidAt = offsetof(ACCESS_ALLOWED_ACE, SidStart);
  if (IsObjectEntry(header.AceType)) {
    const auto& object = reinterpret_cast<const ACCESS_ALLOWED_OBJECT_ACE&>(header);
    sidAt = offsetof(ACCESS_ALLOWED_OBJECT_ACE, ObjectType);
    if (object.Flags & ACE_OBJECT_TYPE_PRESENT) sidAt += sizeof(GUID);
    if (object.Flags & ACE_INHERITED_OBJECT_TYPE_PRESENT) sidAt += sizeof(GUID);
  }
  // An identifier that does not fit in the entry is no one trusted.
  const bool fits = sidAt + sizeof(SID) <= header.AceSize;
  const PSID sid = fits ? const_cast<BYTE*>(bytes + sidAt) : nullptr;
  return {!IsDenyEntry(header.AceType), SidText(sid), plain.Mask, header.AceFlags};
}

// The facts of one folder from a handle on it (`root`: a drive's root
// folder); `missing` when there is no such folder (nor anything else by
// its name).
FolderFacts ReadFolder(const std::string& path, bool root, bool& missing) {
  FolderFacts facts;
  facts.path = path;
  facts.linkOrUnreadable = true;
  missing = false;
  const win::UniqueHandle folder(
      ::CreateFileA(path.c_str(), READ_CONTROL | FILE_READ_ATTRIBUTES,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!folder) {
    const DWORD code = ::GetLastError();
    missing = code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND;
    return facts;
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(folder.Get(), &info)) return facts;
  // Wine opens a host's symbolic link as what it points to and says so only
  // when asked by the path; Windows says it of both. Either counts, but for
  // a drive root, which Windows cannot make a link and Wine maps through
  // one (Z: to the host's "/" says it is one).
  const DWORD byPath = root ? FILE_ATTRIBUTE_DIRECTORY : ::GetFileAttributesA(path.c_str());
  if (byPath == INVALID_FILE_ATTRIBUTES || (byPath & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
    return facts;

  PSID owner = nullptr;
  PACL dacl = nullptr;
  win::LocalMemory<void> descriptor;
  if (::GetSecurityInfo(folder.Get(), SE_FILE_OBJECT,
                        OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner, nullptr,
                        &dacl, nullptr, descriptor.Receive()) != ERROR_SUCCESS)
    return facts;
  facts.owner = SidText(owner);
  facts.noDacl = dacl == nullptr;
  for (DWORD i = 0; dacl != nullptr && i < dacl->AceCount; ++i) {
    void* entry = nullptr;
    if (!::GetAce(dacl, i, &entry)) return facts;
    facts.entries.push_back(ReadEntry(*static_cast<const ACE_HEADER*>(entry)));
  }
  facts.linkOrUnreadable = false;
  return facts;
}

}  // namespace

std::string CurrentUserSid() {
  win::UniqueHandle token;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.Receive())) return {};
  DWORD size = 0;
  ::GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
  if (size == 0) return {};
  // In pointer-sized units, so that TOKEN_USER is aligned.
  std::vector<ULONG_PTR> buffer((size + sizeof(ULONG_PTR) - 1) / sizeof(ULONG_PTR));
  if (!::GetTokenInformation(token.Get(), TokenUser, buffer.data(), size, &size)) return {};
  return SidText(reinterpret_cast<const TOKEN_USER*>(buffer.data())->User.Sid);
}

std::optional<contract::Refusal> CheckFolderChain(const std::string& given) {
  // Windows takes "/" between folders too.
  std::string target = given;
  std::replace(target.begin(), target.end(), '/', '\\');
  // Only a drive letter's folders have a chain to read; the target rule
  // lets no other form through.
  if (target.size() < 3 || target[1] != ':' || target[2] != '\\')
    return contract::Refusal(contract::Reason::LinkedFolder, target);
  std::vector<FolderFacts> chain;
  bool reachedTarget = true;
  // "C:\\", then each folder down to the target's own, without its "\\".
  for (std::size_t end = 2; end != std::string::npos && end < target.size();
       end = target.find('\\', end + 1)) {
    const std::string path = end == 2 ? target.substr(0, 3) : target.substr(0, end);
    bool missing = false;
    FolderFacts facts = ReadFolder(path, end == 2, missing);
    // A drive that is not there cannot be examined either.
    if (missing && end > 2) {
      reachedTarget = false;
      break;
    }
    chain.push_back(std::move(facts));
  }
  // A target given without its last "\\".
  if (reachedTarget && target.back() != '\\') {
    bool missing = false;
    FolderFacts facts = ReadFolder(target, false, missing);
    if (missing)
      reachedTarget = false;
    else
      chain.push_back(std::move(facts));
  }
  return winrules::JudgeFolderChain(chain, reachedTarget,
                                    winrules::TrustedAccounts(CurrentUserSid()));
}

SECURITY_ATTRIBUTES* ProtectedFolderAttributes() {
  // Full control for SYSTEM (SY) and Administrators (BA), read and run
  // (0x1200a9) for Users (BU), each for the folder and all made inside
  // (OICI); "P": nothing inherited from the folder above.
  static const win::LocalMemory<void> descriptor = [] {
    win::LocalMemory<void> built;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorA(
            "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)", SDDL_REVISION_1,
            built.Receive(), nullptr))
      built.Reset();
    return built;
  }();
  static SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor.Get(), FALSE};
  return descriptor ? &attributes : nullptr;
}

}  // namespace pelmora::winsupport
