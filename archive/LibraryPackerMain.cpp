// library-packer: the build's tool for the packed library (LibraryPacking.h).
//   library-packer pack LIBRARY PACKED      writes the packed form
//   library-packer unpack PACKED LIBRARY    writes the library again
// Exit codes: 0 done, 1 a file could not be read or written or the packed
// file is damaged, 2 a usage error.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "archive/LibraryPacking.h"

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
    std::fprintf(stderr, "usage: library-packer pack|unpack IN OUT\n");
    return 2;
  }
  std::vector<unsigned char> in;
  if (!Read(argv[2], in)) {
    std::fprintf(stderr, "library-packer: cannot read %s\n", argv[2]);
    return 1;
  }
  std::vector<unsigned char> out;
  if (command == "pack") {
    out = pelmora::archive::PackLibrary(in);
  } else if (auto unpacked = pelmora::archive::UnpackLibrary(in.data(), in.size())) {
    out = std::move(*unpacked);
  } else {
    std::fprintf(stderr, "library-packer: %s is damaged\n", argv[2]);
    return 1;
  }
  if (!Write(argv[3], out)) {
    std::fprintf(stderr, "library-packer: cannot write %s\n", argv[3]);
    return 1;
  }
  return 0;
}
