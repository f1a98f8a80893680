// Test helper: a small folder tree with typical installer content, written
// to disk and compared against what comes back out of an archive.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "TestFiles.h"

namespace pelmora::acetool::testutil {

namespace fs = std::filesystem;
using pelmora::test::ReadBytes;

struct TreeFile {
  std::u8string name;  // relative, '/' separated
  std::vector<std::uint8_t> content;
};

inline std::vector<std::uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

inline std::vector<std::uint8_t> Noise(std::size_t size, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<std::uint8_t> data(size);
  for (auto& b : data) b = static_cast<std::uint8_t>(rng());
  return data;
}

// Something like an x86 program: code with CALL/JMP opcodes and tables.
inline std::vector<std::uint8_t> ProgramLike(std::size_t size) {
  std::mt19937 rng(5);
  std::vector<std::uint8_t> data;
  while (data.size() < size) {
    const std::uint32_t target = rng() % 4096;
    const std::uint8_t op[] = {0x55,
                               0x8B,
                               0xEC,
                               0xE8,
                               static_cast<std::uint8_t>(target),
                               static_cast<std::uint8_t>(target >> 8),
                               0,
                               0,
                               0x83,
                               0xC4,
                               0x04,
                               static_cast<std::uint8_t>(rng() % 8),
                               0xC3};
    data.insert(data.end(), std::begin(op), std::end(op));
  }
  data.resize(size);
  return data;
}

// 16-bit samples of a slow wave: what the SOUND mode is for.
inline std::vector<std::uint8_t> WaveLike(std::size_t size) {
  std::vector<std::uint8_t> data(size);
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    const int v = static_cast<int>(8000.0 * __builtin_sin(static_cast<double>(i) / 40.0));
    data[i] = static_cast<std::uint8_t>(v);
    data[i + 1] = static_cast<std::uint8_t>(v >> 8);
  }
  return data;
}

inline std::vector<TreeFile> StandardTree() {
  std::string text;
  for (int i = 0; i < 2000; ++i)
    text += "Line " + std::to_string(i % 37) + " of the setup text.\r\n";
  return {
      {u8"readme.txt", Bytes(text)},
      {u8"empty.dat", {}},
      {u8"bin/app.exe", ProgramLike(150000)},
      {u8"bin/noise.bin", Noise(20000, 9)},
      {u8"media/wave.raw", WaveLike(60000)},
      {u8"media/Gr\u00FC\u00DFe \u20AC.txt", Bytes("Umlaute im Namen")},
  };
}

inline void WriteTree(const fs::path& root, const std::vector<TreeFile>& files) {
  for (const TreeFile& f : files) {
    const fs::path path = root / fs::path(f.name);
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(f.content.data()),
               static_cast<std::streamsize>(f.content.size()));
  }
  fs::create_directories(root / "empty folder");
}

inline void ExpectSameTree(const fs::path& extracted, const std::vector<TreeFile>& files) {
  for (const TreeFile& f : files) {
    const fs::path path = extracted / fs::path(f.name);
    const std::string shown(f.name.begin(), f.name.end());
    ASSERT_TRUE(fs::is_regular_file(path)) << shown << " not extracted";
    EXPECT_EQ(ReadBytes(path), f.content) << shown;
  }
  EXPECT_TRUE(fs::is_directory(extracted / "empty folder"));
}

}  // namespace pelmora::acetool::testutil
