#include "install/SealedProtocol_win.h"

#include <optional>
#include <variant>

#include "common/WinHandle.h"
#include "contract/ProductFiles.h"
#include "contract/Sha256.h"
#include "install/IoErrors_win.h"
#include "install/RunTexts.h"
#include "winsupport/Files_win.h"
#include "winsupport/Registry_win.h"

namespace pelmora::install {
namespace {

// Far above any protocol; the uninstaller reads no more either.
constexpr std::size_t kLargestProtocol = 16 * 1024 * 1024;

// Readable and writable by this run alone while it works on it; a link in
// the file's place is opened as the link, never what it points to.
win::UniqueHandle OpenProtocol(const std::string& path, DWORD disposition) {
  return win::UniqueHandle(::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                         FILE_SHARE_READ, nullptr, disposition,
                                         FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

// A plain file of its own: no link, no second name for another file.
bool IsPlainFile(HANDLE file) {
  BY_HANDLE_FILE_INFORMATION info{};
  return ::GetFileInformationByHandle(file, &info) &&
         (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) == 0 &&
         info.nNumberOfLinks == 1;
}

std::variant<win::UniqueHandle, RunFailure> OpenPlainProtocol(const std::string& path) {
  win::UniqueHandle file = OpenProtocol(path, OPEN_ALWAYS);
  if (!file) return IoFailureFromWindows(::GetLastError());
  if (IsPlainFile(file.Get())) return file;
  file.Reset();
  // Removed as the link or name it is; then made anew, by this run alone.
  if (!::DeleteFileA(path.c_str()) && !::RemoveDirectoryA(path.c_str()))
    return IoFailureFromWindows(::GetLastError());
  file = OpenProtocol(path, CREATE_NEW);
  if (!file) return IoFailureFromWindows(::GetLastError());
  return file;
}

std::vector<std::optional<std::string>> RecordedDigests(const SealingEntries& entries) {
  std::vector<std::optional<std::string>> digests;
  for (HKEY root : entries.roots)
    digests.push_back(
        winsupport::ReadRegString(root, entries.keyPath, contract::kProtocolDigestValue));
  return digests;
}

}  // namespace

std::optional<RunFailure> WriteSealedProtocol(const std::string& targetDir,
                                              const std::string& block,
                                              const SealingEntries& entries,
                                              const std::vector<contract::ServerDigest>& servers) {
  const std::string path = targetDir + contract::kProtocolFileName;
  auto opened = OpenPlainProtocol(path);
  if (const auto* failure = std::get_if<RunFailure>(&opened)) return *failure;
  win::UniqueHandle& file = std::get<win::UniqueHandle>(opened);
  auto read = winsupport::ReadUpTo(file.Get(), kLargestProtocol + 1);
  if (const DWORD* error = std::get_if<DWORD>(&read)) return IoFailureFromWindows(*error);
  std::string content = std::move(std::get<std::string>(read));
  const bool keep = content.empty() || (content.size() <= kLargestProtocol &&
                                        !contract::CheckSeal(content, RecordedDigests(entries)));
  if (!keep) {
    content.clear();
    if (::SetFilePointer(file.Get(), 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER ||
        !::SetEndOfFile(file.Get()))
      return IoFailureFromWindows(::GetLastError());
  }
  // Everything the seal records is made, and every entry opened, before
  // the file changes: a run that ends for want of memory on the way leaves
  // the file and its seal as they were, never a block without its digest.
  content += block;
  const std::string digest = contract::Sha256Hex(content);
  std::vector<std::string> serverDigests;
  std::vector<win::UniqueRegKey> keys;
  for (HKEY root : entries.roots) {
    const auto earlier =
        winsupport::ReadRegString(root, entries.keyPath, contract::kServerDigestsValue);
    serverDigests.push_back(contract::JoinServerDigests(
        contract::MergeServerDigests(contract::SplitServerDigests(earlier.value_or("")), servers)));
    keys.push_back(winsupport::OpenRegKeyForValues(root, entries.keyPath));
    if (!keys.back()) return RunFailure{ValueWriteFailedText(contract::kServerDigestsValue)};
  }

  // Behind the blocks earlier runs wrote, which stay as they are.
  if (const DWORD error = winsupport::WriteAll(file.Get(), block.data(), block.size()))
    return IoFailureFromWindows(error);
  if (const DWORD error = win::CloseChecked(std::move(file))) return IoFailureFromWindows(error);
  for (std::size_t i = 0; i < keys.size(); ++i) {
    if (winsupport::SetRegString(keys[i].Get(), contract::kServerDigestsValue, serverDigests[i]))
      return RunFailure{ValueWriteFailedText(contract::kServerDigestsValue)};
    if (winsupport::SetRegString(keys[i].Get(), contract::kProtocolDigestValue, digest))
      return RunFailure{ValueWriteFailedText(contract::kProtocolDigestValue)};
  }
  return std::nullopt;
}

}  // namespace pelmora::install
