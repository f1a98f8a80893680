// Reading a file to be archived.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace pelmora::acewriter {

// Reads a whole file; throws std::runtime_error naming it.
std::vector<std::uint8_t> ReadWholeFile(const std::filesystem::path& path);

}  // namespace pelmora::acewriter
