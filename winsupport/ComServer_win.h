// A COM server's file as the setup registers it and the uninstaller
// unregisters it: held against writers, its digest taken as it is read,
// then loaded and called while still held.
#pragma once

#include <optional>
#include <string>

#include "common/WinFailure.h"
#include "common/WinHandle.h"

namespace pelmora::winsupport {

// A server's file open with only readers allowed beside: no one can change,
// replace or delete it while this lives (loading it only reads), so the
// digest is the digest of what is loaded.
struct HeldServer {
  std::string path;
  win::UniqueHandle handle;
  std::string digest;  // contract::Sha256Hex form
};

// Opens path without following a link and digests it block by block, so
// that a large file costs no more memory than a small one. A failure names
// the server with Windows' code: the file cannot be opened or read, is a
// link or folder (ERROR_CANT_ACCESS_FILE) or larger than
// contract::kLargestServer (ERROR_FILE_TOO_LARGE).
common::WinResult<HeldServer> HoldServer(const std::string& path);

// Calls the export `entry` (DllRegisterServer, DllUnregisterServer) of the
// held server, loaded by its full path. Where it looks for the libraries
// the server imports: with folderTrusted (its folder passed the folder
// check, or the run has no more rights than the user who could write
// there) its own folder first, then the system folder; otherwise the
// system folder only where Windows offers that (LOAD_LIBRARY_SEARCH_SYSTEM32,
// present where kernel32 exports AddDllDirectory), and else the usual
// order, in which a library's own folder has no place (the program's folder
// and the system's come first). Nothing only when the entry answers S_OK
// (codes above 0 report success with a reservation); else a failure naming
// the server with the loader's code, ERROR_PROC_NOT_FOUND, or the entry's
// HRESULT.
std::optional<common::WinFailure> CallServerEntry(const HeldServer& server, const char* entry,
                                                  bool folderTrusted);

}  // namespace pelmora::winsupport
