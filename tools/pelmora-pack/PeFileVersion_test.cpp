#include "tools/pelmora-pack/PeFileVersion.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "TestFiles.h"
#include "TestPaths.h"

namespace pelmora::pack {
namespace {

using pelmora::test::Bytes;
using pelmora::test::ReadBytes;
using pelmora::test::TestDataFile;

std::string ErrorOf(const Bytes& image) {
  try {
    ReadPeFileVersion(image);
  } catch (const PeFormatError& e) {
    return e.what();
  }
  return "(no error)";
}

// tests/data/pe/make.sh says how the sample programs were made.
TEST(PeFileVersion, ReadsTheFixedFileVersionOfBothArchitectures) {
  EXPECT_EQ(ReadPeFileVersion(ReadBytes(TestDataFile("pe/version-i686.exe"))), "3.14.15.926");
  EXPECT_EQ(ReadPeFileVersion(ReadBytes(TestDataFile("pe/version-x86_64.exe"))), "3.14.15.926");
}

TEST(PeFileVersion, SaysWhyAFileHasNoVersion) {
  EXPECT_NE(ErrorOf(ReadBytes(TestDataFile("pe/noversion-x86_64.exe"))).find("no version"),
            std::string::npos);
  EXPECT_NE(ErrorOf(Bytes{'M', 'Z'}).find("ends inside its DOS header"), std::string::npos);
  EXPECT_NE(ErrorOf(Bytes(64, 0)).find("no MZ signature"), std::string::npos);

  const Bytes whole = ReadBytes(TestDataFile("pe/version-i686.exe"));
  const Bytes signature = {0xBD, 0x04, 0xEF, 0xFE};
  const auto fixedInfo =
      std::search(whole.begin(), whole.end(), signature.begin(), signature.end());
  ASSERT_NE(fixedInfo, whole.end());
  // The file cut anywhere before the end of the fixed file info fails with
  // a reason instead of being read past its end.
  const std::size_t needed = static_cast<std::size_t>(fixedInfo - whole.begin()) + 52;
  for (std::size_t size = 0; size < needed; size += 7) {
    const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
    EXPECT_NE(ErrorOf(cut), "(no error)") << size;
  }
  // A damaged fixed-info signature is refused rather than read as a version.
  Bytes damaged = whole;
  damaged[static_cast<std::size_t>(fixedInfo - whole.begin())] = 0;
  EXPECT_NE(ErrorOf(damaged).find("wrong signature"), std::string::npos);
}

}  // namespace
}  // namespace pelmora::pack
