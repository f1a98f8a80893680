// The file version of a Windows program, read from its bytes on any system:
// the medium builder writes it as line 1 of install.pmd, which the setup
// program compares with the version it reads from itself.
#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>

namespace pelmora::pack {

struct PeFormatError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The file version of the first version resource (VS_FIXEDFILEINFO's
// dwFileVersionMS/LS) as "major.minor.release.build". Throws PeFormatError
// saying what is wrong when the bytes are no PE image or carry no version.
std::string ReadPeFileVersion(std::span<const std::uint8_t> image);

}  // namespace pelmora::pack
