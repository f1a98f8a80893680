// Whether an entry's stored name may be extracted. The caller builds the
// target path by appending the stored name to its target folder, so a name
// that is absolute, names a drive or device, climbs out with "..", or holds
// bytes Windows would reinterpret must never reach the file system. The
// library and the setup program's archive component both judge names here,
// by the name rule the setup, the uninstaller and the packer share
// (contract/PathRules.h), so an entry one of them refuses is refused by all.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pelmora::unace::format {

// Nothing when `name` is safe; otherwise why it is refused.
std::optional<std::string> UnsafeNameReason(std::string_view name);

}  // namespace pelmora::unace::format
