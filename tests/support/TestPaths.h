// Paths for tests that run natively on Linux and under Wine alike. CTest
// hands the source, build and test-data folders over as Linux paths in the
// environment; under Wine they are reached through drive Z:.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>

namespace pelmora::test {

// A Linux path as the program under test must spell it.
inline std::string HostPath(const std::string& linuxPath) {
#if defined(_WIN32)
  if (linuxPath.empty() || linuxPath[0] != '/') return linuxPath;
  std::string p = "Z:" + linuxPath;
  for (char& c : p)
    if (c == '/') c = '\\';
  return p;
#else
  return linuxPath;
#endif
}

inline std::string EnvPath(const char* name) {
  const char* v = std::getenv(name);
  if (!v || !*v) throw std::runtime_error(std::string("environment variable not set: ") + name);
  return HostPath(v);
}

// Folder with the real archives and other shared test data.
inline std::string TestDataDir() { return EnvPath("PELMORA_TESTDATA"); }
inline std::string BinaryDir() { return EnvPath("PELMORA_BINARY_DIR"); }
inline std::string SourceDir() { return EnvPath("PELMORA_SOURCE_DIR"); }

// A fresh, empty folder below the build folder, removed when it goes out of scope.
class ScratchDir {
 public:
  explicit ScratchDir(const std::string& tag) {
    std::random_device rd;
    path_ = std::filesystem::path(BinaryDir()) / "scratch" /
            (tag + "-" + std::to_string(rd()) + std::to_string(rd()));
    std::filesystem::create_directories(path_);
  }
  ~ScratchDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::string str() const { return path_.string(); }

 private:
  std::filesystem::path path_;
};

}  // namespace pelmora::test
