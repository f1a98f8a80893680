// Compresses the named files with the chosen method and level and prints
// sizes and throughput. Usage:
//   acewriter_bench [-m lz77|blocked] [-b auto|lz77|exe|delta|sound|pic] [-l level] [-d dictbits]
//   [-s] [-w dir] files...
// -s compresses the files as one solid sequence; -w writes each packed
// stream to dir/<n>.packed (n counting from 0) for checks with other tools.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "acewriter/encode/Encoder.h"

namespace {

std::vector<std::uint8_t> ReadFile(const char* path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error(std::string("cannot open ") + path);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

int Run(int argc, char** argv) {
  pelmora::acewriter::encode::Options options;
  bool solid = false;
  std::string packedDir;
  int i = 1;
  for (; i < argc && argv[i][0] == '-'; ++i) {
    const std::string flag = argv[i];
    if (flag == "-s") {
      solid = true;
    } else if (i + 1 < argc && flag == "-m") {
      options.method = std::strcmp(argv[++i], "blocked") == 0
                           ? pelmora::acewriter::encode::Method::Blocked
                           : pelmora::acewriter::encode::Method::Lz77;
    } else if (i + 1 < argc && flag == "-l") {
      options.level = std::atoi(argv[++i]);
    } else if (i + 1 < argc && flag == "-b") {
      using pelmora::acewriter::encode::BlockedMode;
      const std::string mode = argv[++i];
      options.method = pelmora::acewriter::encode::Method::Blocked;
      options.mode = mode == "lz77"    ? BlockedMode::Lz77
                     : mode == "exe"   ? BlockedMode::Exe
                     : mode == "delta" ? BlockedMode::Delta
                     : mode == "sound" ? BlockedMode::Sound
                     : mode == "pic"   ? BlockedMode::Pic
                                       : BlockedMode::Auto;
    } else if (i + 1 < argc && flag == "-w") {
      packedDir = argv[++i];
    } else if (i + 1 < argc && flag == "-d") {
      options.dictionaryBits = static_cast<std::uint32_t>(std::atoi(argv[++i]));
    } else {
      std::fprintf(stderr, "unknown option %s\n", argv[i]);
      return 2;
    }
  }
  pelmora::acewriter::encode::Encoder encoder(options);
  std::uint64_t totalIn = 0;
  std::uint64_t totalOut = 0;
  double seconds = 0;
  for (int n = 0; i < argc; ++i, ++n) {
    const auto data = ReadFile(argv[i]);
    const auto start = std::chrono::steady_clock::now();
    const auto packed = encoder.EncodeMember(data, solid);
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    totalIn += data.size();
    totalOut += packed.size();
    std::printf("%12zu -> %12zu  %s\n", data.size(), packed.size(), argv[i]);
    if (!packedDir.empty()) {
      std::ofstream out(packedDir + "/" + std::to_string(n) + ".packed", std::ios::binary);
      out.write(reinterpret_cast<const char*>(packed.data()),
                static_cast<std::streamsize>(packed.size()));
      if (!out) throw std::runtime_error("cannot write to " + packedDir);
    }
  }
  std::printf("total %llu -> %llu bytes (%.2f%%), %.2f s, %.2f MB/s\n",
              static_cast<unsigned long long>(totalIn), static_cast<unsigned long long>(totalOut),
              totalIn ? 100.0 * static_cast<double>(totalOut) / static_cast<double>(totalIn) : 0.0,
              seconds, seconds > 0 ? static_cast<double>(totalIn) / 1e6 / seconds : 0.0);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "acewriter_bench: %s\n", e.what());
    return 1;
  }
}
