// Which of two copies of a file that every product of this setup program
// shares stays in the shared place: the newer by file version, so that a
// product's older medium never puts back an older program over a newer one.
#pragma once

#include <compare>
#include <cstdint>
#include <optional>

namespace pelmora::winrules {

// A fixed file version's two 32-bit halves, most significant first; they
// order as the versions do.
struct FileVersionNumber {
  std::uint32_t ms = 0;
  std::uint32_t ls = 0;
  auto operator<=>(const FileVersionNumber&) const = default;
};

// Whether incoming replaces the shared copy installed. Nothing stands for a
// file without a version resource, older than any with one. An older file
// never replaces a newer one; one of the same version does, so that a
// repair renews a damaged copy.
bool ReplacesSharedCopy(std::optional<FileVersionNumber> incoming,
                        std::optional<FileVersionNumber> installed);

}  // namespace pelmora::winrules
