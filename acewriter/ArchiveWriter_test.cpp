#include "acewriter/ArchiveWriter.h"

#include <gtest/gtest.h>

#include <random>

#include "TestPaths.h"
#include "acewriter/HeaderScan_testutil.h"
#include "unace/crypto/AceCipher.h"
#include "unace/format/Crc.h"

namespace pelmora::acewriter {
namespace {
using testutil::ScanVolume;

std::vector<std::uint8_t> Text(const std::string& s) { return {s.begin(), s.end()}; }

std::vector<std::uint8_t> RandomBytes(std::size_t size) {
  std::mt19937 rng(42);
  std::vector<std::uint8_t> data(size);
  for (auto& b : data) b = static_cast<std::uint8_t>(rng());
  return data;
}

TEST(MemberNames, AcceptsRelativeBackslashNames) {
  EXPECT_EQ(MemberNameProblem("readme.txt"), std::nullopt);
  EXPECT_EQ(MemberNameProblem("bin\\Gr\366\337e.exe"), std::nullopt);
  EXPECT_EQ(MemberNameProblem(std::string(kMaxMemberNameLength, 'n')), std::nullopt);
}

TEST(MemberNames, RejectsNamesThatCouldEscapeOrConfuseTheInstaller) {
  for (const std::string& bad :
       std::vector<std::string>{"", "\\abs", "a\\..\\b", "..", "a\\.\\b", "a\\\\b", "dir\\",
                                "C:evil", "a/b", std::string("a\x01") + "b"})
    EXPECT_TRUE(MemberNameProblem(bad)) << bad;
  // The library hands names to the installer in a 260-byte field.
  EXPECT_TRUE(MemberNameProblem(std::string(kMaxMemberNameLength + 1, 'n')));
}

class ArchiveWriterTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return (dir_.Path() / name).string(); }
  pelmora::test::ScratchDir dir_{"archivewriter"};
  const FileStamp fileStamp_{0x58210000, format::kAttributeArchive};
  const FileStamp folderStamp_{0x58210020, format::kAttributeDirectory};
};

TEST_F(ArchiveWriterTest, FoldersAndEmptyFilesCarryNoData) {
  ArchiveOptions options;
  options.creationTime = 0x41046F21;
  ArchiveWriter writer(Path("a.ace"), options);
  writer.AddFolder("sub", folderStamp_);
  writer.AddFile("sub\\empty.txt", {}, fileStamp_);
  writer.Finish();

  const auto volume = ScanVolume(Path("a.ace"));
  EXPECT_EQ(volume.versionToExtract, 10);
  EXPECT_EQ(volume.creationTime, 0x41046F21u);
  ASSERT_EQ(volume.files.size(), 2u);
  const auto& folder = volume.files[0];
  EXPECT_EQ(folder.name, "sub");
  EXPECT_EQ(folder.attributes, format::kAttributeDirectory);
  EXPECT_EQ(folder.packedSize, 0u);
  EXPECT_EQ(folder.originalSize, 0u);
  EXPECT_EQ(folder.crc32, 0xFFFFFFFFu);
  EXPECT_EQ(folder.dosTime, 0x58210020u);
  const auto& empty = volume.files[1];
  EXPECT_EQ(empty.name, "sub\\empty.txt");
  EXPECT_EQ(empty.compressionType, format::kStored);
  EXPECT_EQ(empty.packedSize, 0u);
  EXPECT_EQ(empty.crc32, 0xFFFFFFFFu);
  EXPECT_EQ(empty.attributes, format::kAttributeArchive);
  // Every FILE header carries the four bytes Debian's unace insists on.
  EXPECT_EQ(empty.headerSize, 31 + empty.name.size() + 4);
}

TEST_F(ArchiveWriterTest, SolidArchivesFlagTheMainHeaderAndEveryFile) {
  ArchiveOptions options;
  options.solid = true;
  ArchiveWriter writer(Path("solid.ace"), options);
  writer.AddFolder("d", folderStamp_);
  writer.AddFile("d\\a.txt", Text("hello hello hello hello"), fileStamp_);
  writer.AddFile("d\\b.txt", Text("hello hello hello hello"), fileStamp_);
  writer.Finish();
  const auto volume = ScanVolume(Path("solid.ace"));
  EXPECT_EQ(volume.mainFlags & format::flags::kSolid, format::flags::kSolid);
  ASSERT_EQ(volume.files.size(), 3u);
  EXPECT_EQ(volume.files[0].flags, format::flags::kAddSize);
  EXPECT_EQ(volume.files[1].flags, format::flags::kAddSize | format::flags::kSolid);
  EXPECT_EQ(volume.files[2].flags, format::flags::kAddSize | format::flags::kSolid);
}

TEST_F(ArchiveWriterTest, Ace20ArchivesNeedVersion20) {
  ArchiveOptions options;
  options.method = PackMethod::Ace20;
  ArchiveWriter writer(Path("v20.ace"), options);
  writer.AddFile("a.txt", Text(std::string(2000, 'a')), fileStamp_);
  writer.Finish();
  const auto volume = ScanVolume(Path("v20.ace"));
  EXPECT_EQ(volume.versionToExtract, 20);
  ASSERT_EQ(volume.files.size(), 1u);
  EXPECT_EQ(volume.files[0].compressionType, format::kBlocked);
  EXPECT_EQ(volume.files[0].packedSize % 4, 0u);
  EXPECT_LT(volume.files[0].packedSize, 2000u);
}

TEST_F(ArchiveWriterTest, DataThatDoesNotShrinkIsStored) {
  const auto noise = RandomBytes(20000);
  ArchiveWriter writer(Path("noise.ace"), ArchiveOptions{});
  writer.AddFile("noise.bin", noise, fileStamp_);
  writer.Finish();
  const auto volume = ScanVolume(Path("noise.ace"));
  ASSERT_EQ(volume.files.size(), 1u);
  EXPECT_EQ(volume.files[0].compressionType, format::kStored);
  EXPECT_EQ(volume.files[0].data, noise);
  EXPECT_EQ(volume.files[0].crc32, unace::format::AceCrc32Of(noise));
}

TEST_F(ArchiveWriterTest, EncryptedMembersArePaddedToWholeBlocksAndDecryptBack) {
  ArchiveOptions options;
  options.method = PackMethod::Stored;
  options.password = "geheim";
  const auto secret = Text("thirteen byte");
  ArchiveWriter writer(Path("secret.ace"), options);
  writer.AddFile("secret.txt", secret, fileStamp_);
  writer.AddFile("empty.txt", {}, fileStamp_);
  writer.Finish();

  const auto volume = ScanVolume(Path("secret.ace"));
  ASSERT_EQ(volume.files.size(), 2u);
  const auto& f = volume.files[0];
  EXPECT_EQ(f.flags & format::flags::kPassword, format::flags::kPassword);
  EXPECT_EQ(f.packedSize, 16u);
  EXPECT_EQ(f.originalSize, secret.size());
  EXPECT_EQ(f.crc32, unace::format::AceCrc32Of(secret));
  EXPECT_NE(std::vector<std::uint8_t>(f.data.begin(), f.data.begin() + 13), secret);

  unace::crypto::AceCipher cipher(unace::crypto::DeriveAceKey("geheim"));
  auto plain = f.data;
  cipher.Decrypt(plain.data(), plain.size());
  plain.resize(secret.size());
  EXPECT_EQ(plain, secret);
  // Nothing to protect in an empty file: no password prompt for it.
  EXPECT_EQ(volume.files[1].flags & format::flags::kPassword, 0);
}

TEST_F(ArchiveWriterTest, RejectsOptionsOutOfRangeBeforeWritingAnything) {
  ArchiveOptions options;
  options.dictionaryBits = 9;
  EXPECT_THROW(ArchiveWriter(Path("bad.ace"), options), std::invalid_argument);
  options.dictionaryBits = 20;
  options.level = 0;
  EXPECT_THROW(ArchiveWriter(Path("bad.ace"), options), std::invalid_argument);
  EXPECT_FALSE(std::filesystem::exists(Path("bad.ace")));
}

TEST_F(ArchiveWriterTest, UnsafeMemberNamesAreRefused) {
  ArchiveWriter writer(Path("names.ace"), ArchiveOptions{});
  EXPECT_THROW(writer.AddFile("..\\evil.exe", Text("x"), fileStamp_), std::invalid_argument);
  EXPECT_THROW(writer.AddFolder("C:\\Windows", folderStamp_), std::invalid_argument);
}

}  // namespace
}  // namespace pelmora::acewriter
