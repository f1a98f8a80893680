// What a removal did: how much went, and each thing that stays with its
// reason. Filled by the removal, read by the summary.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "uninstall/Reasons.h"

namespace pelmora::uninstall {

struct Removed {
  std::size_t files = 0;
  std::size_t folders = 0;
  std::size_t keys = 0;
  std::size_t shortcuts = 0;
  std::size_t servers = 0;  // unregistered
};

struct LeftItem {
  std::string what;  // a path, a key ("HKEY_...\..."), a group or a protocol line
  Reason reason = Reason::Failed;
  std::uint32_t errorCode = 0;  // Windows' code, for Reason::Failed
};

struct Outcome {
  Removed removed;
  std::vector<LeftItem> left;
};

}  // namespace pelmora::uninstall
