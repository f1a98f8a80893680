#include "install/ProtocolFile.h"

#include <fstream>
#include <stdexcept>
#include <string>

namespace pelmora::install {

void AppendToFile(const std::filesystem::path& file, std::string_view bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::app);
  if (!out) throw std::runtime_error("cannot open " + file.string() + " for appending");
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw std::runtime_error("cannot write to " + file.string());
}

}  // namespace pelmora::install
