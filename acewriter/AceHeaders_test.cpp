#include "acewriter/AceHeaders.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <string>

namespace pelmora::acewriter {
namespace {

using pelmora::test::FromHex;

// The headers of a small archive that Debian's unace and a second,
// independent reader both extract with a good CRC.
TEST(AceHeaders, MainHeaderMatchesReferenceArchive) {
  MainHeader main;
  main.versionToExtract = 10;
  main.versionCreated = 10;
  main.host = 0;
  main.creationTime = 0x58210000;
  EXPECT_EQ(SerializeMainHeader(main),
            FromHex("cd241b000000002a2a4143452a2a0a0a000000002158000000000000000000"));
}

TEST(AceHeaders, FileHeaderMatchesReferenceArchive) {
  FileHeader file;
  file.packedSize = 24;
  file.originalSize = 9;
  file.dosTime = 0x58210000;
  file.attributes = 0x20;
  file.crc32 = 0xB9D2B7E7;
  file.compressionType = format::kLz77;
  file.quality = 3;
  file.params = 0;
  file.name = "abc.txt";
  const auto bytes = SerializeFileHeader(file);
  EXPECT_EQ(bytes, FromHex("b1db2a0001010018000000090000000000215820000000e7b7d2b9010300000000"
                           "07006162632e74787400000000"));
  EXPECT_EQ(bytes.size(), FileHeaderSize(file.name.size()));
}

TEST(AceHeaders, FlagsAndVolumeFieldsLandAtTheirOffsets) {
  MainHeader main;
  main.flags = format::flags::kMultiVolume | format::flags::kSolid;
  main.versionToExtract = 20;
  main.volumeNumber = 7;
  const auto m = SerializeMainHeader(main);
  EXPECT_EQ(m[5] | (m[6] << 8), 0x8800);
  EXPECT_EQ(m[14], 20);
  EXPECT_EQ(m[17], 7);
  EXPECT_EQ(m[16], format::kHostWin32);

  FileHeader file;
  file.flags =
      format::flags::kContinuedFromPrevious | format::flags::kPassword;  // ADDSIZE is added
  file.name = "a\\b";
  const auto f = SerializeFileHeader(file);
  EXPECT_EQ(f[5] | (f[6] << 8), 0x5001);
  EXPECT_EQ(f[2] | (f[3] << 8), 31 + 3 + 4);
}

TEST(AceHeaders, RejectsNamesThatOverflowHeadSize) {
  FileHeader file;
  file.name.assign(kMaxHeaderNameLength, 'x');
  const auto bytes = SerializeFileHeader(file);
  EXPECT_EQ(bytes[2] | (bytes[3] << 8), 0xFFFF);
  file.name += 'x';
  EXPECT_THROW(SerializeFileHeader(file), std::length_error);
}

}  // namespace
}  // namespace pelmora::acewriter
