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

// A Linux path as the program under test must spell it: a Windows program
// (one whose paths take backslashes) reaches it through drive Z:. Header
// only, so that every test can use it without linking anything.
inline std::string HostPath(const std::string& linuxPath) {
  if constexpr (std::filesystem::path::preferred_separator == '/') return linuxPath;
  if (linuxPath.empty() || linuxPath[0] != '/') return linuxPath;
  std::string p = "Z:" + linuxPath;
  for (char& c : p)
    if (c == '/') c = '\\';
  return p;
}

inline std::string EnvPath(const char* name) {
  const char* v = std::getenv(name);
  if (!v || !*v) throw std::runtime_error(std::string("environment variable not set: ") + name);
  return HostPath(v);
}

inline std::string BinaryDir() { return EnvPath("PELMORA_BINARY_DIR"); }
inline std::string SourceDir() { return EnvPath("PELMORA_SOURCE_DIR"); }

// A file of the repository's test data (tests/data), by its path below that
// folder ("ace/t.ace"). A missing file throws, which the test reports as its
// failure, instead of handing an empty file to code that expects content.
inline std::string TestDataFile(const std::string& relative) {
  std::filesystem::path path = std::filesystem::path(SourceDir()) / "tests" / "data";
  std::string rest = relative;
  for (std::size_t at; (at = rest.find('/')) != std::string::npos; rest.erase(0, at + 1))
    path /= rest.substr(0, at);
  path /= rest;
  if (!std::filesystem::is_regular_file(path))
    throw std::runtime_error("test data file missing: " + path.string());
  return path.string();
}

// One of the real ACE archives (or its .md5 list) in tests/data/ace.
inline std::string AceSample(const std::string& name) { return TestDataFile("ace/" + name); }

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
  const std::filesystem::path& Path() const { return path_; }
  std::string Str() const { return path_.string(); }

 private:
  std::filesystem::path path_;
};

}  // namespace pelmora::test
