#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <variant>

#include "unace/archive/BlockReader.h"
#include "unace/format/Headers.h"
#include "unace/AceBuilder_testutil.h"

namespace {

using namespace pelmora::unace::test;
using pelmora::unace::archive::EndOfVolume;
using pelmora::unace::archive::FindMainHeader;
using pelmora::unace::archive::RawBlock;
using pelmora::unace::archive::ReadBlock;
using pelmora::unace::io::MemorySource;
namespace format = pelmora::unace::format;

// The 133-byte t.ace made by the original archiver.
const Bytes kTAce = {
    0xbb, 0x45, 0x31, 0x00, 0x00, 0x00, 0x90, 0x2a, 0x2a, 0x41, 0x43, 0x45, 0x2a, 0x2a, 0x14,
    0x14, 0x02, 0x00, 0x21, 0x6f, 0x04, 0x41, 0xa6, 0x38, 0xe0, 0x28, 0x00, 0x00, 0x00, 0x00,
    0x16, 0x2a, 0x55, 0x4e, 0x52, 0x45, 0x47, 0x49, 0x53, 0x54, 0x45, 0x52, 0x45, 0x44, 0x20,
    0x56, 0x45, 0x52, 0x53, 0x49, 0x4f, 0x4e, 0x2a, 0xf5, 0xba, 0x20, 0x00, 0x01, 0x01, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x92, 0x6d, 0x04, 0x41, 0x10, 0x00, 0x00,
    0x00, 0xff, 0xff, 0xff, 0xff, 0x02, 0x03, 0x0a, 0x00, 0x54, 0x45, 0x01, 0x00, 0x74, 0x5d,
    0x32, 0x26, 0x00, 0x01, 0x01, 0x80, 0x02, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0xda,
    0x6d, 0x04, 0x41, 0x20, 0x00, 0x00, 0x00, 0x77, 0x4f, 0xdb, 0xcd, 0x00, 0x03, 0x0a, 0x00,
    0x54, 0x45, 0x07, 0x00, 0x74, 0x5c, 0x74, 0x2e, 0x74, 0x78, 0x74, 0x34, 0x32};

// Whether a reading was refused, and the reason it gave ("" when it was not).
bool Refused(const auto& result) { return std::holds_alternative<format::HeaderProblem>(result); }
std::string ProblemText(const auto& result) {
  return Refused(result) ? std::get<format::HeaderProblem>(result).text : std::string();
}

std::optional<format::FileHeader> NextFile(MemorySource& source) {
  auto read = ReadBlock(source);
  const RawBlock* block = std::get_if<RawBlock>(&read);
  if (!block) return std::nullopt;
  auto parsed = format::ParseFileHeader(block->body);
  format::FileHeader* file = std::get_if<format::FileHeader>(&parsed);
  if (!file) return std::nullopt;
  pelmora::unace::archive::SkipData(source, *block);
  return std::move(*file);
}

TEST(Headers, WalkThroughTAce) {
  ASSERT_EQ(kTAce.size(), 133u);
  MemorySource source(kTAce);
  const auto found = FindMainHeader(source);
  ASSERT_FALSE(Refused(found)) << ProblemText(found);
  const format::MainHeader& main = std::get<format::MainHeader>(found);
  EXPECT_EQ(source.Position(), 0x35u);
  EXPECT_EQ(main.flags, 0x9000);
  EXPECT_TRUE(main.Solid());
  EXPECT_EQ(main.versionToExtract, 20);
  EXPECT_EQ(main.timeCreated, 0x41046F21u);
  EXPECT_EQ(main.advert, "*UNREGISTERED VERSION*");

  const auto folder = NextFile(source);
  ASSERT_TRUE(folder);
  EXPECT_TRUE(folder->IsDirectory());
  EXPECT_EQ(folder->name, "t");
  EXPECT_EQ(folder->crc32, 0xFFFFFFFFu);
  EXPECT_EQ(folder->DictionaryBytes(), 1u << 20);

  const auto file = NextFile(source);
  ASSERT_TRUE(file);
  EXPECT_EQ(file->name, "t\\t.txt");
  EXPECT_EQ(file->flags, 0x8001);
  EXPECT_EQ(file->packedSize, 2u);
  EXPECT_EQ(file->originalSize, 2u);
  EXPECT_EQ(file->dosTime, 0x41046DDAu);
  EXPECT_EQ(file->crc32, 0xCDDB4F77u);
  EXPECT_EQ(file->compression, format::kStored);
  EXPECT_EQ(source.Position(), 133u);

  EXPECT_TRUE(std::holds_alternative<EndOfVolume>(ReadBlock(source)));
}

TEST(Headers, MainHeaderAdvertByteIsOptionalWithoutTheFlag) {
  MainFields bare;
  bare.advertByte = false;  // 26-byte body, as the old technical note allows
  const auto bareMain = format::ParseMainHeader(MainHeaderBody(bare));
  EXPECT_FALSE(Refused(bareMain)) << ProblemText(bareMain);

  MainFields commented;  // the archiver's habit: AV_SIZE 0 without the flag, then a comment
  commented.comment = Bytes(28, 0x55);
  const auto main = format::ParseMainHeader(MainHeaderBody(commented));
  ASSERT_FALSE(Refused(main)) << ProblemText(main);
  EXPECT_TRUE(std::get<format::MainHeader>(main).advert.empty());

  MainFields promised;  // the flag promises an advert the header does not hold
  promised.flags = format::flags::kAdvert;
  promised.advertByte = false;
  EXPECT_TRUE(Refused(format::ParseMainHeader(MainHeaderBody(promised))));
}

TEST(Headers, File64CarriesWideSizes) {
  EntryFields entry = Stored("big.bin", "xy");
  entry.wide = true;
  const Bytes block = FileBlock(entry);
  MemorySource source(block);
  const auto file = NextFile(source);
  ASSERT_TRUE(file);
  EXPECT_EQ(file->type, format::kBlockFile64);
  EXPECT_EQ(file->packedSize, 2u);
  EXPECT_EQ(file->name, "big.bin");
  EXPECT_EQ(file->crc32, format::AceCrc32Of(BytesOf("xy")));
}

TEST(Headers, DamagedHeadersAreDetected) {
  {
    Bytes bytes = FileBlock(Stored("a.txt", "abc"));
    bytes[10] ^= 0x01;  // inside the header body
    MemorySource source(bytes);
    const auto read = ReadBlock(source);
    EXPECT_TRUE(Refused(read));
    EXPECT_NE(ProblemText(read).find("checksum"), std::string::npos);
  }
  {
    EntryFields entry = Stored("a.txt", "abc");
    entry.packedSize = 0xFFFFFFF0u;  // far more data than the volume holds
    MemorySource source(FileBlock(entry));
    EXPECT_TRUE(Refused(ReadBlock(source)));
  }
  {
    EntryFields entry = Stored("a.txt", "abc");
    entry.wide = true;
    entry.packedSize = 0x8000000000000000ull;
    MemorySource source(FileBlock(entry));
    EXPECT_TRUE(Refused(ReadBlock(source)));
  }
  {
    MemorySource source(Bytes{0x12, 0x34, 0x40});  // prefix cut short
    EXPECT_TRUE(Refused(ReadBlock(source)));
  }
  {
    Bytes body = {1, 1, 0, 0, 0, 0, 0};  // FILE header far shorter than its fixed part
    MemorySource source(WithPrefix(body));
    const auto read = ReadBlock(source);
    ASSERT_TRUE(std::holds_alternative<RawBlock>(read)) << ProblemText(read);
    EXPECT_TRUE(Refused(format::ParseFileHeader(std::get<RawBlock>(read).body)));
  }
  {
    EntryFields entry = Stored("name", "abc");
    Bytes bytes = FileBlock(entry);
    // Claim a 200-byte name in a header that holds 4 name bytes.
    Bytes body(bytes.begin() + 4, bytes.end() - 3);
    body[29] = 200;  // FNAME_SIZE
    Bytes withData = WithPrefix(body);
    Append(withData, BytesOf("abc"));
    MemorySource source(withData);
    const auto read = ReadBlock(source);
    ASSERT_TRUE(std::holds_alternative<RawBlock>(read)) << ProblemText(read);
    EXPECT_TRUE(Refused(format::ParseFileHeader(std::get<RawBlock>(read).body)));
  }
}

TEST(Headers, MainHeaderIsFoundBehindAStubWithDecoys) {
  Bytes bytes(3000, 0x90);
  // A recovery record also carries the signature; it must not be taken.
  const Bytes decoy = {0x00, 0x00, 0x20, 0x00, 0x02, 0x01, 0x00, '*', '*', 'A', 'C', 'E', '*', '*'};
  bytes.insert(bytes.begin() + 100, decoy.begin(), decoy.end());
  // A MAIN-looking header whose checksum does not match.
  const Bytes badCrc = {0x00, 0x00, 0x20, 0x00, 0x00, 0x00, 0x00,
                        '*',  '*',  'A',  'C',  'E',  '*',  '*'};
  bytes.insert(bytes.begin() + 300, badCrc.begin(), badCrc.end());
  const std::string text = "**ACE**";
  bytes.insert(bytes.begin() + 500, text.begin(), text.end());
  const Bytes archive = Archive({Stored("a.txt", "abc")});
  const std::size_t start = bytes.size();
  Append(bytes, archive);
  MemorySource source(bytes);
  const auto found = FindMainHeader(source);
  ASSERT_FALSE(Refused(found)) << ProblemText(found);
  EXPECT_EQ(source.Position(), start + WithPrefix(MainHeaderBody({})).size());
  EXPECT_EQ(NextFile(source)->name, "a.txt");

  MemorySource none(Bytes(5000, '*'));
  EXPECT_TRUE(Refused(FindMainHeader(none)));
}

}  // namespace
