// What a removal did: how much went, and each thing that stays with its
// reason. Filled by the removal, read by the summary.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "contract/Refusal.h"

namespace pelmora::uninstall {

using contract::Reason;
using contract::Refusal;

struct Removed {
  std::size_t files = 0;
  std::size_t folders = 0;
  std::size_t keys = 0;
  std::size_t shortcuts = 0;
  std::size_t servers = 0;  // unregistered
};

// A thing that stays: why, with the thing as the refusal's detail (a path,
// a key "HKEY_...\\...", a group or a protocol line), and Windows' code
// where Windows refused (Failed, InUse), so that the summary can name it.
struct LeftItem {
  Refusal refusal;
  std::uint32_t code = 0;
};

// A thing removed, for the log: what kind of thing and the thing itself.
enum class Kind { File, Folder, Key, Shortcut, Server };
struct GoneItem {
  Kind kind;
  std::string what;
};

struct Outcome {
  Removed removed;
  std::vector<GoneItem> gone;  // in the order removed
  std::vector<LeftItem> left;

  // Counts `what` among the removed things of its kind and lists it.
  [[gnu::noinline]] void Gone(Kind kind, const std::string& what) {
    std::size_t* const counts[] = {&removed.files, &removed.folders, &removed.keys,
                                   &removed.shortcuts, &removed.servers};
    ++*counts[static_cast<int>(kind)];
    gone.push_back({kind, what});
  }

  // Lists `what` as staying for `reason` (with Windows' code where Windows
  // refused). One place makes the items, so that each of the removal's
  // many places that leave something is a call (the uninstaller is built
  // for size).
  [[gnu::noinline]] void Leave(Reason reason, const std::string& what, std::uint32_t code = 0) {
    left.push_back({{reason, what}, code});
  }
};

}  // namespace pelmora::uninstall
