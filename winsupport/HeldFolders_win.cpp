#include "winsupport/HeldFolders_win.h"

#include <winternl.h>

#include <optional>
#include <utility>
#include <vector>

#include "common/WinHandle.h"
#include "contract/AnsiText.h"

namespace pelmora::winsupport {
namespace {

using common::WinFailure;

constexpr auto kFile = WinFailure::Subject::File;
constexpr NTSTATUS kCannotDelete = static_cast<NTSTATUS>(0xC0000121);

// Opening relative to a handle exists only below the documented Windows
// functions; ntdll.dll is in every process, and its functions are looked
// up when first needed so that the programs' import lists stay as they are.
using NtOpenFileFunction = NTSTATUS(NTAPI*)(HANDLE* handle, ACCESS_MASK access,
                                            OBJECT_ATTRIBUTES* name, IO_STATUS_BLOCK* status,
                                            ULONG share, ULONG options);
using NtSetInformationFileFunction = NTSTATUS(NTAPI*)(HANDLE file, IO_STATUS_BLOCK* status,
                                                      void* information, ULONG size,
                                                      FILE_INFORMATION_CLASS kind);
using NtQueryDirectoryFileFunction = NTSTATUS(NTAPI*)(HANDLE folder, HANDLE event, void* routine,
                                                      void* context, IO_STATUS_BLOCK* status,
                                                      void* information, ULONG size,
                                                      FILE_INFORMATION_CLASS kind, BOOLEAN single,
                                                      UNICODE_STRING* name, BOOLEAN restart);
using RtlNtStatusToDosErrorFunction = ULONG(NTAPI*)(NTSTATUS status);

struct Native {
  NtOpenFileFunction open;
  NtSetInformationFileFunction setInformation;
  NtQueryDirectoryFileFunction queryDirectory;
  RtlNtStatusToDosErrorFunction windowsCode;
};

const Native* LookUpNative() {
  static const Native native = [] {
    const HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
    return Native{win::LookUpExport<NtOpenFileFunction>(ntdll, "NtOpenFile"),
                  win::LookUpExport<NtSetInformationFileFunction>(ntdll, "NtSetInformationFile"),
                  win::LookUpExport<NtQueryDirectoryFileFunction>(ntdll, "NtQueryDirectoryFile"),
                  win::LookUpExport<RtlNtStatusToDosErrorFunction>(ntdll, "RtlNtStatusToDosError")};
  }();
  const bool complete =
      native.open && native.setInformation && native.queryDirectory && native.windowsCode;
  return complete ? &native : nullptr;
}

// A held folder lists and traverses: those rights take part in sharing, so
// that a later opener asking for DELETE (a rename, a deletion) is refused.
// A handle with attribute rights alone would be passed over by that check.
constexpr ACCESS_MASK kFolderAccess =
    FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | SYNCHRONIZE;
constexpr ULONG kHoldingShare = FILE_SHARE_READ | FILE_SHARE_WRITE;
constexpr ACCESS_MASK kItemAccess =
    DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES | SYNCHRONIZE;
constexpr ULONG kItemShare = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// One name below a held folder, as the native functions take it.
class NameBelow {
 public:
  NameBelow(HANDLE folder, const std::string& name) : wide_(name.size(), L'\0') {
    const int size = static_cast<int>(name.size());
    wide_.resize(static_cast<std::size_t>(
        ::MultiByteToWideChar(CP_ACP, 0, name.data(), size, wide_.data(), size)));
    text_.Buffer = wide_.data();
    text_.Length = text_.MaximumLength = static_cast<USHORT>(wide_.size() * sizeof(wchar_t));
    attributes_.Length = sizeof attributes_;
    attributes_.RootDirectory = folder;
    attributes_.ObjectName = &text_;
    attributes_.Attributes = OBJ_CASE_INSENSITIVE;
  }
  NameBelow(const NameBelow&) = delete;
  NameBelow& operator=(const NameBelow&) = delete;

  OBJECT_ATTRIBUTES* Get() { return &attributes_; }
  UNICODE_STRING* Text() { return &text_; }

 private:
  std::wstring wide_;
  UNICODE_STRING text_{};
  OBJECT_ATTRIBUTES attributes_{};
};

struct Opened {
  win::UniqueHandle handle;
  DWORD code;  // Windows' code when handle is empty
};

Opened OpenBelow(const Native& native, NameBelow& name, ACCESS_MASK access, ULONG share,
                 ULONG options) {
  HANDLE handle = nullptr;
  IO_STATUS_BLOCK status{};
  const NTSTATUS result =
      native.open(&handle, access, name.Get(), &status, share,
                  options | FILE_OPEN_REPARSE_POINT | FILE_SYNCHRONOUS_IO_NONALERT);
  if (result < 0) return {win::UniqueHandle(), native.windowsCode(result)};
  return {win::UniqueHandle(handle), ERROR_SUCCESS};
}

DWORD HandleAttributes(HANDLE handle) {
  BY_HANDLE_FILE_INFORMATION information{};
  return ::GetFileInformationByHandle(handle, &information) ? information.dwFileAttributes
                                                            : INVALID_FILE_ATTRIBUTES;
}

// What the held folder's own list says of the name: a link is listed as
// the link. A file system that opens through a link even when told not to
// (a Unix symbolic link seen through a compatibility layer) still lists it
// as one. The name holds no wildcard (the rules refuse those), so it
// matches itself alone; each folder handle is asked once, as a handle
// keeps the first name it was asked for.
DWORD NameAttributes(const Native& native, NameBelow& name) {
  union {
    FILE_DIRECTORY_INFORMATION entry;
    char bytes[sizeof(FILE_DIRECTORY_INFORMATION) + MAX_PATH * sizeof(wchar_t)];
  } listed{};
  IO_STATUS_BLOCK status{};
  const NTSTATUS result =
      native.queryDirectory(name.Get()->RootDirectory, nullptr, nullptr, nullptr, &status, &listed,
                            sizeof listed, FileDirectoryInformation, TRUE, name.Text(), TRUE);
  return result < 0 ? INVALID_FILE_ATTRIBUTES : listed.entry.FileAttributes;
}

bool IsLinkOrUnknown(DWORD attributes) {
  return attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

NTSTATUS MarkForDeletion(const Native& native, HANDLE item) {
  FILE_DISPOSITION_INFORMATION disposition{TRUE};
  IO_STATUS_BLOCK status{};
  return native.setInformation(item, &status, &disposition, sizeof disposition,
                               FileDispositionInformation);
}

// Read-only files refuse deletion; the archive may have carried some.
bool ClearReadOnly(const Native& native, HANDLE item, DWORD attributes) {
  FILE_BASIC_INFORMATION basic{};  // times of zero stay as they are
  const DWORD rest = attributes & ~FILE_ATTRIBUTE_READONLY;
  basic.FileAttributes = rest != 0 ? rest : FILE_ATTRIBUTE_NORMAL;
  IO_STATUS_BLOCK status{};
  return native.setInformation(item, &status, &basic, sizeof basic, FileBasicInformation) >= 0;
}

// The names from start down to path's own, without empty ones; nothing
// when a name would lead up or nowhere.
std::optional<std::vector<std::string>> NamesBelow(const std::string& start,
                                                   const std::string& path) {
  if (start.empty() || start.back() != '\\' || path.size() <= start.size() ||
      !contract::EqualsIgnoreCaseAnsi(std::string_view(path).substr(0, start.size()), start))
    return std::nullopt;
  std::vector<std::string> names;
  for (std::size_t at = start.size(); at < path.size();) {
    std::size_t end = path.find('\\', at);
    if (end == std::string::npos) end = path.size();
    std::string name = path.substr(at, end - at);
    if (name == "." || name == "..") return std::nullopt;
    if (!name.empty()) names.push_back(std::move(name));
    at = end + 1;
  }
  if (names.empty()) return std::nullopt;
  return names;
}

}  // namespace

std::string DriveRootOf(const std::string& path) {
  const bool drive = path.size() >= 3 && path[1] == ':' && path[2] == '\\' &&
                     ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
  return drive ? path.substr(0, 3) : std::string();
}

common::WinResult<Deleted> DeleteHeld(const std::string& start, const std::string& path,
                                      HeldItem item, const WhileHeld& whileHeld) {
  const auto failed = [&path](DWORD code) { return common::FailedAs<Deleted>(kFile, path, code); };
  const Native* native = LookUpNative();
  if (!native) return failed(ERROR_CALL_NOT_IMPLEMENTED);
  const auto names = NamesBelow(start, path);
  if (!names) return failed(ERROR_BAD_PATHNAME);

  // The start by its name (the caller vouches for the way to it), then
  // each folder below relative to the one above, all held until the end.
  std::vector<win::UniqueHandle> held;
  held.emplace_back(
      ::CreateFileA(start.c_str(), kFolderAccess, kHoldingShare, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!held.back()) {
    const DWORD code = ::GetLastError();
    return failed(code == ERROR_FILE_NOT_FOUND ? ERROR_PATH_NOT_FOUND : code);
  }
  // A folder is asked by its name without the "\\" (which would look past
  // a link); a drive root is none (the emulator the tests run under reports
  // a drive mapped to a host folder as a link).
  if (IsLinkOrUnknown(HandleAttributes(held.back().Get())) ||
      (start != DriveRootOf(start) &&
       IsLinkOrUnknown(::GetFileAttributesA(start.substr(0, start.size() - 1).c_str()))))
    return failed(kReachedThroughLink);
  for (std::size_t at = 0; at + 1 < names->size(); ++at) {
    NameBelow name(held.back().Get(), (*names)[at]);
    Opened folder = OpenBelow(*native, name, kFolderAccess, kHoldingShare, FILE_DIRECTORY_FILE);
    if (!folder.handle) {
      // A file where a folder should be: the item is not there either.
      const bool absent = folder.code == ERROR_FILE_NOT_FOUND || folder.code == ERROR_DIRECTORY;
      return failed(absent ? ERROR_PATH_NOT_FOUND : folder.code);
    }
    if (IsLinkOrUnknown(HandleAttributes(folder.handle.Get())) ||
        IsLinkOrUnknown(NameAttributes(*native, name)))
      return failed(kReachedThroughLink);
    held.push_back(std::move(folder.handle));
  }
  if (whileHeld) whileHeld(path);

  NameBelow name(held.back().Get(), names->back());
  Opened opened = OpenBelow(*native, name, kItemAccess, kItemShare, 0);
  if (!opened.handle) return failed(opened.code);
  const DWORD own = HandleAttributes(opened.handle.Get());
  const DWORD named = NameAttributes(*native, name);
  if (own == INVALID_FILE_ATTRIBUTES || named == INVALID_FILE_ATTRIBUTES)
    return failed(kReachedThroughLink);
  // A link in the item's place is deleted as itself when the handle is the
  // link; a handle that went on to what the link points to is let go.
  const bool link = (own & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  if (!link && (named & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return failed(kReachedThroughLink);
  const bool folder = (own & FILE_ATTRIBUTE_DIRECTORY) != 0;
  const bool asked = link || item == HeldItem::FileOrFolder || folder == (item == HeldItem::Folder);
  if (!asked) return failed(ERROR_DIRECTORY);

  NTSTATUS result = MarkForDeletion(*native, opened.handle.Get());
  if (result == kCannotDelete && !folder && (own & FILE_ATTRIBUTE_READONLY) != 0 &&
      ClearReadOnly(*native, opened.handle.Get(), own))
    result = MarkForDeletion(*native, opened.handle.Get());
  if (result < 0) return failed(native->windowsCode(result));
  // The item goes when its last handle closes: this one, unless another
  // program holds it open with delete sharing.
  if (auto failure = win::CloseChecked(std::move(opened.handle), path)) return std::move(*failure);
  return folder ? Deleted::Folder : Deleted::File;
}

}  // namespace pelmora::winsupport
