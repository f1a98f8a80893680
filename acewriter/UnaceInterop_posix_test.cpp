// Archives written here must be readable by an independent ACE 1.0 reader:
// Debian's unace 1.2b lists and extracts them byte for byte. (Linux only;
// the program is looked for at /usr/bin/unace.)
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>

#include "TestPaths.h"
#include "acewriter/FolderArchiver.h"
#include "acewriter/HeaderScan_testutil.h"

namespace pelmora::acewriter {
namespace {
namespace fs = std::filesystem;

constexpr const char* kUnace = "/usr/bin/unace";

// Relative names on disk (UTF-8) and their archive spelling (Windows-1252,
// which is also the byte spelling unace gives the extracted file).
struct TreeFile {
  std::string diskName;
  std::string extractedName;
  std::vector<std::uint8_t> content;
};

std::vector<std::uint8_t> SourceLikeText(std::size_t size) {
  static const char* words[] = {"int",
                                "return",
                                "value",
                                "for",
                                "(i = 0; i < n; ++i)",
                                "if",
                                "else",
                                "std::vector<int>",
                                "{",
                                "}",
                                ";\n",
                                "const",
                                "count",
                                "archive",
                                "// note\n",
                                "  "};
  std::mt19937 rng(7);
  std::string s;
  while (s.size() < size) s += std::string(words[rng() % 16]) + ' ';
  s.resize(size);
  return {s.begin(), s.end()};
}

// Long-range repetition with small changes: matches at distances beyond
// 8 KiB and several Huffman blocks.
std::vector<std::uint8_t> StructuredBinary(std::size_t size) {
  std::mt19937 rng(11);
  std::vector<std::uint8_t> unit(20000);
  for (auto& b : unit) b = static_cast<std::uint8_t>(rng() % 64);
  std::vector<std::uint8_t> data;
  while (data.size() < size) {
    for (std::size_t i = 0; i < unit.size() && data.size() < size; ++i)
      data.push_back(static_cast<std::uint8_t>(unit[i] + (rng() % 50 == 0 ? rng() : 0)));
  }
  return data;
}

std::vector<std::uint8_t> Noise(std::size_t size) {
  std::mt19937 rng(3);
  std::vector<std::uint8_t> data(size);
  for (auto& b : data) b = static_cast<std::uint8_t>(rng());
  return data;
}

std::vector<TreeFile> TestTree() {
  const std::string text = "The quick brown fox jumps over the lazy dog.\r\n";
  std::string manyLines;
  for (int i = 0; i < 300; ++i) manyLines += std::to_string(i) + ": " + text;
  return {
      {"readme.txt", "readme.txt", {manyLines.begin(), manyLines.end()}},
      {"empty.txt", "empty.txt", {}},
      {"src/main.cpp", "src/main.cpp", SourceLikeText(100000)},
      {"data/big.bin", "data/big.bin", StructuredBinary(300000)},
      {"data/noise.bin", "data/noise.bin", Noise(30000)},
      // Solid: refers back into the stored (incompressible) member before it.
      {"data/noise2.bin", "data/noise2.bin", Noise(30000)},
      {"data/copy.bin", "data/copy.bin", StructuredBinary(60000)},
      {"Gr\303\274\303\237e.txt", "Gr\374\337e.txt", {text.begin(), text.end()}},
  };
}

std::string RunUnace(const fs::path& workDir, const std::string& args) {
  const fs::path log = workDir / "unace.log";
  const std::string command =
      "cd '" + workDir.string() + "' && " + kUnace + " " + args + " > '" + log.string() + "' 2>&1";
  const int status = std::system(command.c_str());
  std::ifstream in(log);
  std::stringstream out;
  out << in.rdbuf();
  EXPECT_EQ(status, 0) << command << "\n" << out.str();
  return out.str();
}

struct Variant {
  const char* label;
  PackMethod method;
  bool solid;
  std::uint64_t volumeSize;
  const char* archiveName;
  // Files above this go through the piecewise (work file) path.
  std::uint64_t largeFileThreshold = 16u << 20;
};

void PrintTo(const Variant& v, std::ostream* os) { *os << v.label; }

class UnaceInteropTest : public ::testing::TestWithParam<Variant> {
 protected:
  void SetUp() override {
    if (!fs::exists(kUnace)) GTEST_SKIP() << kUnace << " is not installed";
    tree_ = dir_.Path() / "tree";
    for (const TreeFile& f : files_) {
      const fs::path path = tree_ / fs::path(std::u8string(f.diskName.begin(), f.diskName.end()));
      fs::create_directories(path.parent_path());
      std::ofstream(path, std::ios::binary)
          .write(reinterpret_cast<const char*>(f.content.data()),
                 static_cast<std::streamsize>(f.content.size()));
    }
    fs::create_directories(tree_ / "emptydir");
  }

  pelmora::test::ScratchDir dir_{"unace-interop"};
  fs::path tree_;
  const std::vector<TreeFile> files_ = TestTree();
};

TEST_P(UnaceInteropTest, UnaceListsAndExtractsEveryFileByteForByte) {
  const Variant& v = GetParam();
  ArchiveOptions options;
  options.method = v.method;
  options.solid = v.solid;
  options.volumeSize = v.volumeSize;
  options.largeFileThreshold = v.largeFileThreshold;
  const fs::path archive = dir_.Path() / v.archiveName;
  ArchiveWriter writer(archive.string(), options);
  ArchiveFolder(tree_, writer);
  const auto result = writer.Finish();
  if (v.volumeSize > 0) {
    ASSERT_GE(result.volumes.size(), 3u);
    // The big file must really be cut into three or more pieces.
    int pieces = 0;
    for (const auto& name : result.volumes)
      for (const auto& f : testutil::ScanVolume(name).files) pieces += f.name == "data\\big.bin";
    EXPECT_GE(pieces, 3);
  }

  EXPECT_FALSE(fs::exists(archive.string() + ".tmp")) << "work file left behind";
  if (v.solid && v.volumeSize == 0) {
    for (const auto& f : testutil::ScanVolume(archive).files)
      if (f.name == "data\\noise2.bin") {
        EXPECT_LT(f.packedSize, 1000u) << "no reference into the stored member";
      }
  }

  const std::string listing = RunUnace(dir_.Path(), "l -y '" + archive.string() + "'");
  for (const TreeFile& f : files_) {
    const std::string leaf = f.extractedName.substr(f.extractedName.rfind('/') + 1);
    EXPECT_NE(listing.find(leaf), std::string::npos) << leaf << " missing in\n" << listing;
  }

  const fs::path out = dir_.Path() / "out";
  fs::create_directories(out);
  const std::string extraction = RunUnace(out, "x -y '" + archive.string() + "'");
  EXPECT_EQ(extraction.find("CRC FAIL"), std::string::npos) << extraction;
  for (const TreeFile& f : files_) {
    const fs::path extracted = out / f.extractedName;
    ASSERT_TRUE(fs::exists(extracted)) << f.extractedName << "\n" << extraction;
    EXPECT_EQ(testutil::ReadBytes(extracted), f.content) << f.extractedName;
  }
  EXPECT_TRUE(fs::is_directory(out / "emptydir"));
}

INSTANTIATE_TEST_SUITE_P(
    Formats, UnaceInteropTest,
    ::testing::Values(
        Variant{"Stored", PackMethod::Stored, false, 0, "stored.ace"},
        Variant{"Lz77", PackMethod::Lz77, false, 0, "lz77.ace"},
        Variant{"Lz77Solid", PackMethod::Lz77, true, 0, "solid.ace"},
        Variant{"StoredVolumes", PackMethod::Stored, false, 120000, "DATA.c00"},
        Variant{"Lz77Volumes", PackMethod::Lz77, false, 9000, "DATA.c00"},
        Variant{"Lz77SolidVolumes", PackMethod::Lz77, true, 7000, "set.ace"},
        Variant{"Lz77Piecewise", PackMethod::Lz77, false, 0, "pieces.ace", 10000},
        Variant{"Lz77SolidPiecewiseVolumes", PackMethod::Lz77, true, 7000, "DATA.c00", 10000},
        Variant{"StoredPiecewiseVolumes", PackMethod::Stored, false, 120000, "DATA.c00", 10000}),
    [](const ::testing::TestParamInfo<Variant>& param) { return std::string(param.param.label); });

}  // namespace
}  // namespace pelmora::acewriter
