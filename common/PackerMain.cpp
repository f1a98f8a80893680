// resource-packer: the build tool for packed resources (common/Packing.h).
//   resource-packer pack FILE PACKED      writes the packed form
//   resource-packer unpack PACKED FILE    writes the file again
// Exit codes: 0 done, 1 a file could not be read or written or the packed
// file is damaged, 2 a usage error.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common/Packing.h"

namespace {

bool Read(const char* path, std::vector<unsigned char>& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in.is_open()) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

bool Write(const char* path, const std::vector<unsigned char>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return !out.fail();
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc == 4 ? argv[1] : "";
  if (command != "pack" && command != "unpack") {
    std::fprintf(stderr, "usage: resource-packer pack|unpack IN OUT\n");
    return 2;
  }
  std::vector<unsigned char> in;
  if (!Read(argv[2], in)) {
    std::fprintf(stderr, "resource-packer: cannot read %s\n", argv[2]);
    return 1;
  }
  std::vector<unsigned char> out;
  if (command == "pack") {
    out = pelmora::common::Pack(in);
  } else if (auto unpacked = pelmora::common::Unpack(in.data(), in.size())) {
    out = std::move(*unpacked);
  } else {
    std::fprintf(stderr, "resource-packer: %s is damaged\n", argv[2]);
    return 1;
  }
  if (!Write(argv[3], out)) {
    std::fprintf(stderr, "resource-packer: cannot write %s\n", argv[3]);
    return 1;
  }
  return 0;
}
