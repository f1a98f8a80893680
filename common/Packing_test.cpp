// The packed form of carried resources: what is packed comes back byte for
// byte, and a damaged packed form is refused without reading or writing out
// of bounds (the sanitizer build watches that).
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "TestFiles.h"
#include "TestPaths.h"
#include "common/Packing.h"

namespace pelmora::common {
namespace {

using Bytes = std::vector<unsigned char>;

std::optional<Bytes> UnpackAll(const Bytes& packed) { return Unpack(packed.data(), packed.size()); }

// Code-like bytes: filler and calls (E8) from many places to a few targets.
Bytes CallsToFewTargets(std::size_t size) {
  std::mt19937 random(7);
  Bytes bytes;
  while (bytes.size() + 5 <= size) {
    if (random() % 4 == 0) {
      const auto target = static_cast<std::uint32_t>(1000 * (random() % 8));
      const auto distance = target - static_cast<std::uint32_t>(bytes.size() + 5);
      bytes.push_back(0xE8);
      for (int b = 0; b < 4; ++b) bytes.push_back(static_cast<unsigned char>(distance >> (8 * b)));
    } else {
      bytes.push_back(static_cast<unsigned char>(random() % 16));
    }
  }
  return bytes;
}

TEST(Packing, EveryKindOfContentComesBackByteForByte) {
  std::mt19937 random(1);
  Bytes noise(20000);
  for (auto& byte : noise) byte = static_cast<unsigned char>(random());
  const std::string text = test::ReadText(test::SourceDir() + "/README.md");
  const Bytes program = test::ReadBytes(test::TestDataFile("pe/version-i686.exe"));
  const struct {
    const char* name;
    Bytes bytes;
    double atMost;  // packed size against the content's
  } cases[] = {
      {"empty", {}, 100},
      {"one byte", {0xE8}, 100},
      {"a call cut short at the end", {1, 2, 0xE8, 0xFF, 0xFF, 0xFF}, 100},
      {"a run longer than the longest match", Bytes(5000, 0), 0.02},
      {"calls back to back", Bytes(5000, 0xE8), 100},
      {"noise", noise, 1.02},
      {"text", Bytes(text.begin(), text.end()), 0.45},
      {"calls to few targets", CallsToFewTargets(60000), 0.5},
      {"a program", program, 0.5},
  };
  for (const auto& sample : cases) {
    SCOPED_TRACE(sample.name);
    const Bytes packed = Pack(sample.bytes);
    EXPECT_LE(packed.size(), sample.atMost * sample.bytes.size() + 16);
    const auto unpacked = UnpackAll(packed);
    ASSERT_TRUE(unpacked.has_value());
    EXPECT_TRUE(*unpacked == sample.bytes);
  }
}

TEST(Packing, ADamagedPackedFormIsRefused) {
  const Bytes library = CallsToFewTargets(4000);
  const Bytes packed = Pack(library);
  ASSERT_TRUE(UnpackAll(packed).has_value());

  EXPECT_FALSE(Unpack(packed.data(), 3)) << "no whole size";
  EXPECT_FALSE(Unpack(packed.data(), packed.size() - 2)) << "cut short";
  Bytes longer = packed;
  longer[1] += 1;  // announces 256 bytes more than were packed
  EXPECT_FALSE(UnpackAll(longer)) << "announcing more than it holds";
  Bytes huge = packed;
  huge[3] = 0x7F;
  EXPECT_FALSE(UnpackAll(huge)) << "announcing 2 GB";

  // Any byte changed: refused, or a result of the announced size; never a
  // read or write outside the buffers.
  for (std::size_t at = packing::kHeaderSize; at < packed.size(); ++at) {
    Bytes damaged = packed;
    damaged[at] ^= 0x5A;
    const auto unpacked = UnpackAll(damaged);
    if (unpacked) {
      EXPECT_EQ(unpacked->size(), library.size()) << "byte " << at;
    }
  }
}

}  // namespace
}  // namespace pelmora::common
