#include "winsupport/Files_win.h"

#include <algorithm>

namespace pelmora::winsupport {
namespace {

// ReadFile and WriteFile take at most a DWORD at a time.
constexpr std::size_t kLargestTransfer = 1u << 30;

DWORD Attributes(const std::string& path) { return ::GetFileAttributesA(path.c_str()); }

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
  // Every prefix that ends before a separator, then the whole path; "C:" and
  // "\\" of a drive or network root are no folders to make.
  for (std::size_t end = 0; end != std::string::npos;) {
    end = path.find('\\', end + 1);
    const std::string prefix = path.substr(0, end);
    if (prefix.size() < 3 || IsExistingFolder(prefix)) continue;
    if (::CreateDirectoryA(prefix.c_str(), nullptr)) created.push_back(prefix);
  }
  return created;
}

DWORD ReadExactly(HANDLE file, void* buffer, std::size_t size) {
  auto* bytes = static_cast<char*>(buffer);
  while (size > 0) {
    DWORD read = 0;
    const auto chunk = static_cast<DWORD>(std::min(size, kLargestTransfer));
    if (!::ReadFile(file, bytes, chunk, &read, nullptr)) return ::GetLastError();
    if (read == 0) return ERROR_HANDLE_EOF;
    bytes += read;
    size -= read;
  }
  return ERROR_SUCCESS;
}

DWORD WriteAll(HANDLE file, const void* buffer, std::size_t size) {
  const auto* bytes = static_cast<const char*>(buffer);
  while (size > 0) {
    DWORD written = 0;
    const auto chunk = static_cast<DWORD>(std::min(size, kLargestTransfer));
    if (!::WriteFile(file, bytes, chunk, &written, nullptr)) return ::GetLastError();
    if (written != chunk) return kShortWrite;
    bytes += written;
    size -= written;
  }
  return ERROR_SUCCESS;
}

std::variant<std::string, DWORD> ReadUpTo(HANDLE file, std::size_t limit) {
  std::string bytes;
  char chunk[16384];
  while (bytes.size() < limit) {
    DWORD read = 0;
    const auto wanted = static_cast<DWORD>(std::min(sizeof chunk, limit - bytes.size()));
    if (!::ReadFile(file, chunk, wanted, &read, nullptr)) return ::GetLastError();
    if (read == 0) break;
    bytes.append(chunk, read);
  }
  return bytes;
}

std::variant<std::string, DWORD> ReadFileStart(const std::string& path, std::size_t limit) {
  win::UniqueHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return ::GetLastError();
  return ReadUpTo(file.Get(), limit);
}

std::optional<HeldFile> ReadAndHold(const std::string& path, std::size_t limit) {
  HeldFile held{
      win::UniqueHandle(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr)),
      {}};
  BY_HANDLE_FILE_INFORMATION info{};
  if (!held.handle || !::GetFileInformationByHandle(held.handle.Get(), &info) ||
      (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) != 0)
    return std::nullopt;
  auto read = ReadUpTo(held.handle.Get(), limit + 1);
  std::string* bytes = std::get_if<std::string>(&read);
  if (bytes == nullptr || bytes->size() > limit) return std::nullopt;
  held.bytes = std::move(*bytes);
  return held;
}

DWORD AppendToFile(const std::string& path, std::string_view bytes) {
  win::UniqueHandle file(::CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                       OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return ::GetLastError();
  const DWORD written = WriteAll(file.Get(), bytes.data(), bytes.size());
  const DWORD closed = win::CloseChecked(std::move(file));
  return written != ERROR_SUCCESS ? written : closed;
}

}  // namespace pelmora::winsupport
