// Appending a protocol block to a file with the standard library, for the
// tools and tests that work on Linux. The setup program appends with the
// Windows API (install/InstallationRun_win.cpp), which reports the system's
// error number and keeps the streams library out of the shipped program.
#pragma once

#include <filesystem>
#include <string_view>

namespace pelmora::install {

// Appends `bytes` to `file`, creating it when missing; what it held stays as
// it was. Throws std::runtime_error naming the file when it cannot be opened
// or the bytes cannot all be written.
void AppendToFile(const std::filesystem::path& file, std::string_view bytes);

}  // namespace pelmora::install
