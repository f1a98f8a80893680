#include "winsupport/Files_win.h"

#include <algorithm>

#include "winsupport/FolderSecurity_win.h"
#include "winsupport/SystemInfo_win.h"

namespace pelmora::winsupport {
namespace {

// ReadFile and WriteFile take at most a DWORD at a time.
constexpr std::size_t kLargestTransfer = 1u << 30;

DWORD Attributes(const std::string& path) { return ::GetFileAttributesA(path.c_str()); }

constexpr auto kFile = common::WinFailure::Subject::File;

}  // namespace

bool IsExistingFile(const std::string& path) {
  const DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool IsExistingFolder(const std::string& path) {
  const DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool PassesThroughLink(const std::string& base, const std::string& path) {
  const auto isLink = [](const std::string& folder) {
    const DWORD attributes = Attributes(folder);
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  };
  // base without its "\\", then each folder below it up to path's own.
  if (base.empty() || isLink(base.substr(0, base.size() - 1))) return true;
  for (std::size_t at = path.find('\\', base.size()); at != std::string::npos;
       at = path.find('\\', at + 1))
    if (isLink(path.substr(0, at))) return true;
  return false;
}

std::vector<std::string> CreateFolderTree(const std::string& path) {
  std::vector<std::string> created;
  if (path.size() < 3 || IsExistingFolder(path)) return created;
  // An elevated setup's folders inherit nothing a drive root grants users.
  SECURITY_ATTRIBUTES* const security =
      RunsWithAdministratorRights() ? ProtectedFolderAttributes() : nullptr;
  // Every prefix that ends before a separator, then the whole path; "C:" and
  // "\\" of a drive or network root are no folders to make.
  for (std::size_t end = 0; end != std::string::npos;) {
    end = path.find('\\', end + 1);
    const std::string prefix = path.substr(0, end);
    if (prefix.size() < 3 || IsExistingFolder(prefix)) continue;
    if (::CreateDirectoryA(prefix.c_str(), security)) created.push_back(prefix);
  }
  return created;
}

std::optional<common::WinFailure> ReadExactly(HANDLE file, const std::string& path, void* buffer,
                                              std::size_t size) {
  auto* bytes = static_cast<char*>(buffer);
  while (size > 0) {
    DWORD read = 0;
    const auto chunk = static_cast<DWORD>(std::min(size, kLargestTransfer));
    if (!::ReadFile(file, bytes, chunk, &read, nullptr))
      return common::Failed(kFile, path, ::GetLastError());
    if (read == 0) return common::Failed(kFile, path, ERROR_HANDLE_EOF);
    bytes += read;
    size -= read;
  }
  return std::nullopt;
}

std::optional<common::WinFailure> WriteAll(HANDLE file, const std::string& path, const void* buffer,
                                           std::size_t size) {
  const auto* bytes = static_cast<const char*>(buffer);
  while (size > 0) {
    DWORD written = 0;
    const auto chunk = static_cast<DWORD>(std::min(size, kLargestTransfer));
    if (!::WriteFile(file, bytes, chunk, &written, nullptr))
      return common::Failed(kFile, path, ::GetLastError());
    if (written != chunk) return common::Failed(kFile, path, kShortWrite);
    bytes += written;
    size -= written;
  }
  return std::nullopt;
}

common::WinResult<std::string> ReadUpTo(HANDLE file, const std::string& path, std::size_t limit) {
  std::string bytes;
  char chunk[16384];
  while (bytes.size() < limit) {
    DWORD read = 0;
    const auto wanted = static_cast<DWORD>(std::min(sizeof chunk, limit - bytes.size()));
    if (!::ReadFile(file, chunk, wanted, &read, nullptr))
      return common::FailedAs<std::string>(kFile, path, ::GetLastError());
    if (read == 0) break;
    bytes.append(chunk, read);
  }
  return bytes;
}

common::WinResult<std::string> ReadFileStart(const std::string& path, std::size_t limit) {
  win::UniqueHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return common::FailedAs<std::string>(kFile, path, ::GetLastError());
  return ReadUpTo(file.Get(), path, limit);
}

common::WinResult<win::UniqueHandle> HoldForReading(const std::string& path) {
  win::UniqueHandle held(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                       OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!held || !::GetFileInformationByHandle(held.Get(), &info))
    return common::FailedAs<win::UniqueHandle>(kFile, path, ::GetLastError());
  if ((info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) != 0)
    return common::FailedAs<win::UniqueHandle>(kFile, path, ERROR_CANT_ACCESS_FILE);
  return held;
}

std::optional<common::WinFailure> AppendToFile(const std::string& path, std::string_view bytes) {
  win::UniqueHandle file(::CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                       OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return common::Failed(kFile, path, ::GetLastError());
  auto written = WriteAll(file.Get(), path, bytes.data(), bytes.size());
  auto closed = win::CloseChecked(std::move(file), path);
  return written ? std::move(written) : std::move(closed);
}

}  // namespace pelmora::winsupport
