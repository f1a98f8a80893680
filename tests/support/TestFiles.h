// Whole-file reads and writes for tests, hex literals, and the expected
// content of the sample archives. A file that cannot be read or written
// throws, so the test that needed it fails with the path in its message
// instead of going on with empty content.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "TestPaths.h"

namespace pelmora::test {

using Bytes = std::vector<std::uint8_t>;

inline std::string ReadText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline Bytes ReadBytes(const std::filesystem::path& path) {
  const std::string text = ReadText(path);
  return Bytes(text.begin(), text.end());
}

inline void WriteText(const std::filesystem::path& path, std::string_view text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

inline void WriteBytes(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
  WriteText(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

// "cd 24 1b" or "cd241b": pairs of hex digits; anything else is passed over.
inline Bytes FromHex(std::string_view hex) {
  Bytes out;
  int high = -1;
  for (char ch : hex) {
    int v;
    if (ch >= '0' && ch <= '9')
      v = ch - '0';
    else if (ch >= 'a' && ch <= 'f')
      v = ch - 'a' + 10;
    else if (ch >= 'A' && ch <= 'F')
      v = ch - 'A' + 10;
    else
      continue;
    if (high < 0) {
      high = v;
    } else {
      out.push_back(static_cast<std::uint8_t>(high << 4 | v));
      high = -1;
    }
  }
  return out;
}

// The content a sample archive must extract to, from its "md5  path" list:
// relative path ('/'-separated) -> MD5 in lower-case hex.
inline std::map<std::string, std::string> SampleDigests(const std::string& listName) {
  std::map<std::string, std::string> digests;
  const std::string text = ReadText(AceSample(listName));
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() > 34) digests[line.substr(34)] = line.substr(0, 32);
    start = end + 1;
  }
  if (digests.empty()) throw std::runtime_error("no digests in " + listName);
  return digests;
}

}  // namespace pelmora::test
