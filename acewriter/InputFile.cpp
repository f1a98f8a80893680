#include "acewriter/InputFile.h"

#include <fstream>
#include <stdexcept>

#include "acewriter/PathText.h"

namespace pelmora::acewriter {
namespace fs = std::filesystem;

std::vector<std::uint8_t> ReadWholeFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + PathText(path));
  std::vector<std::uint8_t> data;
  std::error_code ec;
  const auto expected = fs::file_size(path, ec);
  if (!ec) data.reserve(static_cast<std::size_t>(expected));
  char buffer[1 << 16];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
    data.insert(data.end(), buffer, buffer + in.gcount());
    if (in.eof()) break;
  }
  if (in.bad()) throw std::runtime_error("cannot read " + PathText(path));
  return data;
}

}  // namespace pelmora::acewriter
