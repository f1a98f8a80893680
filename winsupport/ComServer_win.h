// A COM server's file as the setup registers it and the uninstaller
// unregisters it: read and checked by its bytes, then loaded and called.
#pragma once

#include <optional>
#include <string>

#include "common/WinFailure.h"

namespace pelmora::winsupport {

// Calls the export `entry` (DllRegisterServer, DllUnregisterServer) of the
// COM server at `path`, loaded by that full path with its own folder
// searched for what it imports (the setup's folder is not). Whoever checked
// the file's bytes first holds it against writers (ReadAndHold, with
// contract::kLargestServer as the limit) until this returns, so that what
// was checked is what is loaded. Nothing only when the entry answers S_OK
// (codes above 0 report success with a reservation); else a failure naming
// the server with the loader's code, ERROR_PROC_NOT_FOUND, or the entry's
// HRESULT.
std::optional<common::WinFailure> CallServerEntry(const std::string& path, const char* entry);

}  // namespace pelmora::winsupport
