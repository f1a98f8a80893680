// Archives made by the original archiver: every compressed member must
// decode to its stored CRC, in order, with the solid window carried along.
// The few header fields needed are read here directly; real header parsing
// belongs to the container code.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "TestPaths.h"
#include "unace/decode/TestStreams_testutil.h"

namespace pelmora::unace::decode::test {
namespace {

std::uint64_t Le(const Bytes& b, std::size_t at, int bytes) {
  std::uint64_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | b.at(at + static_cast<std::size_t>(i));
  return v;
}

Bytes ReadArchive(const std::string& name) {
  const std::filesystem::path path = std::filesystem::path(pelmora::test::AceSample(name));
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in.good()) << path.string();
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct Summary {
  int compressed = 0;
  int stored = 0;
  int blocked = 0;
  std::uint64_t bytes = 0;
};

// Walks the blocks of a single-volume archive and decodes every member.
Summary DecodeAll(const std::string& name) {
  const Bytes archive = ReadArchive(name);
  Summary summary;
  Decoder decoder;
  bool solid = false;
  bool first = true;
  std::size_t pos = 0;
  while (pos + 7 <= archive.size()) {
    const std::size_t headSize = Le(archive, pos + 2, 2);
    const int type = archive.at(pos + 4);
    const std::uint32_t flags = static_cast<std::uint32_t>(Le(archive, pos + 5, 2));
    const bool wide = (flags & 4) != 0;
    const std::uint64_t addSize = (flags & 1) ? Le(archive, pos + 7, wide ? 8 : 4) : 0;
    const std::size_t dataAt = pos + 4 + headSize;
    if (type == 0) solid = (flags & 0x8000) != 0;
    if (type == 1 || type == 3) {
      const std::size_t f = wide ? 8 : 0;  // FILE64: wider sizes push the later fields on
      const std::uint64_t originalSize = Le(archive, pos + (wide ? 15 : 11), wide ? 8 : 4);
      const std::uint32_t attributes = static_cast<std::uint32_t>(Le(archive, pos + 19 + f, 4));
      const std::uint32_t crc = static_cast<std::uint32_t>(Le(archive, pos + 23 + f, 4));
      const int method = archive.at(pos + 27 + f);
      const std::uint32_t params = static_cast<std::uint32_t>(Le(archive, pos + 29 + f, 2));
      const Bytes packed(archive.begin() + static_cast<std::ptrdiff_t>(dataAt),
                         archive.begin() + static_cast<std::ptrdiff_t>(dataAt + addSize));
      if ((attributes & 0x10) == 0 && originalSize > 0) {
        Bytes output;
        if (method == 0) {
          output = packed;
          decoder.AppendStored(packed.data(), packed.size());
          ++summary.stored;
        } else {
          MemoryInput input(packed, 1000);  // odd pieces exercise the reader's refills
          CollectOutput collected;
          const Status status =
              decoder.DecodeMember(input, collected, originalSize, 1u << ((params & 15) + 10),
                                   method == 2, solid && !first);
          EXPECT_EQ(status, Status::Ok)
              << name << " member at " << pos << ": " << decoder.LastError();
          output = collected.bytes;
          ++summary.compressed;
          if (method == 2) ++summary.blocked;
        }
        EXPECT_EQ(output.size(), originalSize) << name << " member at " << pos;
        EXPECT_EQ(AceCrc(output), crc) << name << " member at " << pos;
        summary.bytes += output.size();
        first = false;
      }
    }
    pos = dataAt + static_cast<std::size_t>(addSize);
  }
  return summary;
}

TEST(RealArchives, OneFileLz77) {
  const Summary s = DecodeAll("onefile.ace");
  EXPECT_EQ(s.compressed, 1);
}

TEST(RealArchives, SolidLz77WithStoredMembers) {
  const Summary s = DecodeAll("zdir.ace");
  EXPECT_GE(s.compressed, 10);
}

TEST(RealArchives, SolidBlockedModes) {
  const Summary s = DecodeAll("dir2.ace");
  EXPECT_GE(s.blocked, 30);
}

TEST(RealArchives, SolidMemberFailsWithoutItsPredecessors) {
  // Later members of a solid archive refer back into earlier ones; decoded
  // alone, such references must be refused, not read stale or zero bytes.
  const Bytes archive = ReadArchive("dir2.ace");
  Decoder decoder;
  std::size_t pos = 0;
  int members = 0;
  int refused = 0;
  while (pos + 7 <= archive.size()) {
    const std::size_t headSize = Le(archive, pos + 2, 2);
    const int type = archive.at(pos + 4);
    const std::uint32_t flags = static_cast<std::uint32_t>(Le(archive, pos + 5, 2));
    const std::uint64_t addSize = (flags & 1) ? Le(archive, pos + 7, 4) : 0;
    const std::size_t dataAt = pos + 4 + headSize;
    if (type == 1 && (Le(archive, pos + 19, 4) & 0x10) == 0 && addSize > 0 &&
        archive.at(pos + 27) != 0) {
      if (++members > 1) {
        const Bytes packed(archive.begin() + static_cast<std::ptrdiff_t>(dataAt),
                           archive.begin() + static_cast<std::ptrdiff_t>(dataAt + addSize));
        MemoryInput input(packed);
        CollectOutput out;
        const Status status =
            decoder.DecodeMember(input, out, Le(archive, pos + 11, 4), 1u << 20, true, false);
        // Members that happen not to look back may decode; none may crash.
        if (status == Status::Corrupt) ++refused;
      }
    }
    pos = dataAt + static_cast<std::size_t>(addSize);
  }
  EXPECT_GT(refused, 0);
}

}  // namespace
}  // namespace pelmora::unace::decode::test
