// A COM server's file as the setup registers it and the uninstaller
// unregisters it: checked by its bytes, then loaded and called. Whoever
// checks the bytes must be sure they are what gets loaded, so the file is
// held against writers from its reading until the call is done.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "winsupport/Files_win.h"

namespace pelmora::winsupport {

struct HeldComServer {
  std::string path;
  HeldFile file;  // its bytes and the handle that keeps them as read
};

// The server's file read whole and held (ReadAndHold); nothing when it
// cannot be opened or read, is a link, or is larger than `limit`.
std::optional<HeldComServer> HoldComServer(const std::string& path, std::size_t limit);

// Loads the held server by its full path, with its own folder searched for
// what it imports (the setup's folder is not), and calls its export
// `entry` (DllRegisterServer, DllUnregisterServer). True only when that
// answers S_OK: codes above 0 report success with a reservation.
bool CallServerEntry(const HeldComServer& server, const char* entry);

}  // namespace pelmora::winsupport
