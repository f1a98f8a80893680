#include "install/SealedProtocol_win.h"

#include <optional>
#include <variant>

#include "common/WinHandle.h"
#include "contract/ProductFiles.h"
#include "contract/Sha256.h"
#include "winsupport/Files_win.h"
#include "winsupport/HeldFolders_win.h"
#include "winsupport/Registry_win.h"

namespace pelmora::install {
namespace {

using common::WinFailure;

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

std::optional<WinFailure> FileFailure(const std::string& path) {
  return common::Failed(WinFailure::Subject::File, path, ::GetLastError());
}

// The protocol opened as a plain file of its own; an empty owner when it
// cannot be (GetLastError says why).
win::UniqueHandle OpenPlainProtocol(const std::string& path) {
  win::UniqueHandle file = OpenProtocol(path, OPEN_ALWAYS);
  if (!file || IsPlainFile(file.Get())) return file;
  file.Reset();
  // Removed as the link or name it is; then made anew, by this run alone.
  const std::string targetDir = path.substr(0, path.rfind('\\') + 1);
  const auto removed = winsupport::DeleteHeld(targetDir, path, winsupport::HeldItem::FileOrFolder);
  if (const auto* failure = std::get_if<WinFailure>(&removed)) {
    ::SetLastError(failure->code);
    return file;
  }
  return OpenProtocol(path, CREATE_NEW);
}

std::vector<std::optional<std::string>> RecordedDigests(const SealingEntries& entries) {
  std::vector<std::optional<std::string>> digests;
  for (HKEY root : entries.roots)
    digests.push_back(
        winsupport::ReadRegString(root, entries.keyPath, contract::kProtocolDigestValue));
  return digests;
}

}  // namespace

std::optional<WinFailure> WriteSealedProtocol(const std::string& targetDir,
                                              const std::string& block,
                                              const SealingEntries& entries,
                                              const std::vector<contract::ServerDigest>& servers) {
  const std::string path = targetDir + contract::kProtocolFileName;
  win::UniqueHandle file = OpenPlainProtocol(path);
  if (!file) return FileFailure(path);
  auto read = winsupport::ReadUpTo(file.Get(), path, kLargestProtocol + 1);
  if (auto* failure = std::get_if<WinFailure>(&read)) return std::move(*failure);
  std::string content = std::move(std::get<std::string>(read));
  const bool keep = content.empty() || (content.size() <= kLargestProtocol &&
                                        !contract::CheckSeal(content, RecordedDigests(entries)));
  if (!keep) {
    content.clear();
    if (::SetFilePointer(file.Get(), 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER ||
        !::SetEndOfFile(file.Get()))
      return FileFailure(path);
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
    auto key = winsupport::OpenRegKeyForValues(root, entries.keyPath);
    // The first value that cannot be set is the one named.
    if (auto* failure = std::get_if<WinFailure>(&key))
      return common::Failed(WinFailure::Subject::Value, contract::kServerDigestsValue,
                            failure->code);
    keys.push_back(std::move(std::get<win::UniqueRegKey>(key)));
  }

  // Behind the blocks earlier runs wrote, which stay as they are.
  if (auto failure = winsupport::WriteAll(file.Get(), path, block.data(), block.size()))
    return failure;
  if (auto failure = win::CloseChecked(std::move(file), path)) return failure;
  for (std::size_t i = 0; i < keys.size(); ++i) {
    if (auto failure = winsupport::SetRegString(keys[i].Get(), contract::kServerDigestsValue,
                                                serverDigests[i]))
      return failure;
    if (auto failure =
            winsupport::SetRegString(keys[i].Get(), contract::kProtocolDigestValue, digest))
      return failure;
  }
  return std::nullopt;
}

}  // namespace pelmora::install
