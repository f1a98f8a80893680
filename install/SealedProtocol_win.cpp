#include "install/SealedProtocol_win.h"

#include <algorithm>
#include <optional>
#include <variant>

#include "common/WinHandle.h"
#include "contract/ProductFiles.h"
#include "contract/Sha256.h"
#include "winsupport/Files_win.h"
#include "winsupport/HeldFolders_win.h"
#include "winsupport/Registry_win.h"
#include "winsupport/Seal_win.h"

namespace pelmora::install {
namespace {

using common::WinFailure;

// Far above any protocol; the uninstaller reads no more either.
constexpr std::size_t kLargestProtocol = 16 * 1024 * 1024;

// Names tried for a protocol kept aside before the run gives up.
constexpr int kSetAsideNames = 99;

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

// The roots whose entry vouches for content, as far as this run may trust
// them (winsupport::ReadSeal).
std::vector<HKEY> VouchingRoots(const std::string& content, const SealingEntries& entries) {
  std::vector<HKEY> roots;
  if (entries.keyPath.empty() || content.size() > kLargestProtocol) return roots;
  const std::string digest = contract::Sha256Hex(content);
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
    if (winsupport::ReadSeal(root, entries.keyPath, entries.elevated).protocolDigest == digest)
      roots.push_back(root);
  return roots;
}

// Moves the protocol (closed) aside under the first free name; that name,
// or a failure naming the protocol. Nothing is ever replaced.
common::WinResult<std::string> SetAside(const std::string& targetDir) {
  const std::string path = targetDir + contract::kProtocolFileName;
  DWORD code = ERROR_ALREADY_EXISTS;
  for (int n = 1; n <= kSetAsideNames; ++n) {
    std::string name = kSetAsideName;
    if (n > 1) name += std::to_string(n);
    if (::MoveFileExA(path.c_str(), (targetDir + name).c_str(), 0)) return name;
    code = ::GetLastError();
    if (code != ERROR_ALREADY_EXISTS && code != ERROR_FILE_EXISTS) break;
  }
  return common::FailedAs<std::string>(WinFailure::Subject::File, path, code);
}

// Cuts the file back to the length it had before this run's block.
void CutBack(HANDLE file, std::size_t length) {
  if (::SetFilePointer(file, static_cast<LONG>(length), nullptr, FILE_BEGIN) !=
      INVALID_SET_FILE_POINTER)
    ::SetEndOfFile(file);
}

// A key whose values vouch for the file: an entry, or its seal.
struct SealKey {
  win::UniqueRegKey key;
  std::string serverDigests;
};

// The entry root\keyPath and, when elevated, its seal, opened for their
// values (the seal made when missing); each takes the servers of the
// earlier runs it trusts with this run's.
std::optional<WinFailure> OpenSealKeys(HKEY root, const SealingEntries& entries,
                                       const std::vector<contract::ServerDigest>& servers,
                                       std::vector<SealKey>& keys) {
  const auto earlier = winsupport::ReadSeal(root, entries.keyPath, entries.elevated).serverDigests;
  const std::string serverDigests = contract::JoinServerDigests(
      contract::MergeServerDigests(contract::SplitServerDigests(earlier), servers));
  const auto open = [&](HKEY keyRoot, const std::string& path) -> std::optional<WinFailure> {
    auto opened = winsupport::OpenRegKeyForValues(keyRoot, path);
    // The first value that cannot be set is the one named.
    if (auto* failure = std::get_if<WinFailure>(&opened))
      return common::Failed(WinFailure::Subject::Value, contract::kServerDigestsValue,
                            failure->code);
    keys.push_back({std::move(std::get<win::UniqueRegKey>(opened)), serverDigests});
    return std::nullopt;
  };
  if (auto failure = open(root, entries.keyPath)) return failure;
  const std::string seal = contract::SealKeyPath(entries.keyPath, winsupport::KeyRootOf(root));
  if (!entries.elevated || seal.empty()) return std::nullopt;
  if (auto failure = winsupport::CreateRegKey(HKEY_LOCAL_MACHINE, seal))
    return common::Failed(WinFailure::Subject::Value, contract::kServerDigestsValue, failure->code);
  return open(HKEY_LOCAL_MACHINE, seal);
}

}  // namespace

common::WinResult<WrittenProtocol> WriteSealedProtocol(
    const std::string& targetDir, const std::string& block, const SealingEntries& entries,
    const std::vector<contract::ServerDigest>& servers) {
  const std::string path = targetDir + contract::kProtocolFileName;
  win::UniqueHandle file = OpenPlainProtocol(path);
  if (!file) return *FileFailure(path);
  auto read = winsupport::ReadUpTo(file.Get(), path, kLargestProtocol + 1);
  if (auto* failure = std::get_if<WinFailure>(&read)) return std::move(*failure);
  std::string content = std::move(std::get<std::string>(read));

  WrittenProtocol written;
  std::vector<HKEY> sealed = entries.roots;
  if (!content.empty()) {
    const std::vector<HKEY> vouching = VouchingRoots(content, entries);
    // Unsealed lines must not come under this run's seal; a run that seals
    // nothing appends to them, as it leaves them as untrusted as before.
    if (vouching.empty() && !entries.roots.empty()) {
      file.Reset();
      auto name = SetAside(targetDir);
      if (auto* failure = std::get_if<WinFailure>(&name)) return std::move(*failure);
      written.setAside = std::move(std::get<std::string>(name));
      content.clear();
      file = OpenProtocol(path, CREATE_NEW);
      if (!file) return *FileFailure(path);
    }
    for (HKEY root : vouching)
      if (std::find(sealed.begin(), sealed.end(), root) == sealed.end()) sealed.push_back(root);
  }

  // Everything the seal records is made, and every key opened, before the
  // file changes: a run that ends for want of memory on the way leaves the
  // file and its seal as they were, never a block without its digest.
  const std::size_t earlierLength = content.size();
  content += block;
  const std::string digest = contract::Sha256Hex(content);
  std::vector<SealKey> keys;
  for (HKEY root : sealed)
    if (auto failure = OpenSealKeys(root, entries, servers, keys)) return std::move(*failure);

  // Behind the blocks earlier runs wrote, which stay as they are.
  if (auto failure = winsupport::WriteAll(file.Get(), path, block.data(), block.size())) {
    CutBack(file.Get(), earlierLength);
    return std::move(*failure);
  }
  bool recorded = false;
  for (const SealKey& key : keys) {
    auto failure =
        winsupport::SetRegString(key.key.Get(), contract::kServerDigestsValue, key.serverDigests);
    if (!failure)
      failure = winsupport::SetRegString(key.key.Get(), contract::kProtocolDigestValue, digest);
    if (failure) {
      // A block no digest covers would leave the earlier seal broken.
      if (!recorded) CutBack(file.Get(), earlierLength);
      return std::move(*failure);
    }
    recorded = true;
  }
  if (auto failure = win::CloseChecked(std::move(file), path)) return std::move(*failure);
  return written;
}

}  // namespace pelmora::install
