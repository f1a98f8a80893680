#include "winsupport/ComServer_win.h"

#include <windows.h>

#include "contract/Seal.h"
#include "contract/Sha256.h"
#include "winsupport/Files_win.h"

namespace pelmora::winsupport {
namespace {

constexpr auto kServer = common::WinFailure::Subject::Server;

// Spelled out: the headers offer them only when building for Windows 8 and
// later. The first makes the loader take the library's imports from the
// system folder only, the second adds the library's own folder before it.
constexpr DWORD kSearchSystemFolder = 0x00000800;
constexpr DWORD kSearchLibraryFolder = 0x00000100;

// The search flags came with the same update as AddDllDirectory (built into
// Windows 8, an update for Vista and 7); where kernel32 lacks the export,
// LoadLibraryEx refuses the flags.
bool LoaderTakesSearchFlags() {
  return ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "AddDllDirectory") != nullptr;
}

DWORD LoadFlags(bool folderTrusted) {
  if (LoaderTakesSearchFlags())
    return folderTrusted ? kSearchLibraryFolder | kSearchSystemFolder : kSearchSystemFolder;
  // Older Windows: the altered order puts the server's folder first, which
  // only a trusted folder may be. The usual order searches the program's
  // folder, the system folders and the path, never the server's own; the
  // working directory is out of it since the entry hardened the search.
  return folderTrusted ? LOAD_WITH_ALTERED_SEARCH_PATH : 0;
}

}  // namespace

common::WinResult<HeldServer> HoldServer(const std::string& path) {
  auto file = HoldForReading(path);
  if (const auto* failure = std::get_if<common::WinFailure>(&file))
    return common::FailedAs<HeldServer>(kServer, path, failure->code);
  HeldServer held{path, std::move(std::get<win::UniqueHandle>(file)), {}};
  DWORD sizeHigh = 0;
  const DWORD size = ::GetFileSize(held.handle.Get(), &sizeHigh);
  if (size == INVALID_FILE_SIZE && ::GetLastError() != NO_ERROR)
    return common::FailedAs<HeldServer>(kServer, path, ::GetLastError());
  if (sizeHigh != 0 || size > contract::kLargestServer)
    return common::FailedAs<HeldServer>(kServer, path, ERROR_FILE_TOO_LARGE);
  // Nobody writes it now: an open for writing anywhere else would have
  // made this open fail, and none can start while it is held.
  contract::Sha256 sha;
  char block[16384];
  for (;;) {
    DWORD read = 0;
    if (!::ReadFile(held.handle.Get(), block, sizeof block, &read, nullptr))
      return common::FailedAs<HeldServer>(kServer, path, ::GetLastError());
    if (read == 0) break;
    sha.Add(std::string_view(block, read));
  }
  held.digest = contract::DigestHex(sha.Finish());
  return held;
}

std::optional<common::WinFailure> CallServerEntry(const HeldServer& server, const char* entry,
                                                  bool folderTrusted) {
  const win::LoadedLibrary library(
      ::LoadLibraryExA(server.path.c_str(), nullptr, LoadFlags(folderTrusted)));
  std::uint32_t code = ::GetLastError();
  using Entry = HRESULT(STDAPICALLTYPE*)();
  if (library) {
    const auto call = win::LookUpExport<Entry>(library.Get(), entry);
    code = call == nullptr ? ERROR_PROC_NOT_FOUND : static_cast<std::uint32_t>(call());
    if (code == static_cast<std::uint32_t>(S_OK)) return std::nullopt;
  }
  return common::Failed(kServer, server.path, code);
}

}  // namespace pelmora::winsupport
