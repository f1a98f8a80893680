#include <gtest/gtest.h>

#include <cstring>

#include "archive/EntryName.h"

namespace pelmora::archive {
namespace {

TEST(EntryNameText, StopsAtTheFirstZeroByte) {
  TACEHeaderData header{};
  std::memcpy(header.FileName, "dir\\file.txt\0rest", 17);
  EXPECT_EQ(EntryNameText(header), "dir\\file.txt");
}

TEST(EntryNameText, NeverReadsBeyondTheField) {
  TACEHeaderData header{};
  std::memset(header.FileName, 'x', sizeof header.FileName);
  header.Flags = 0x41414141;  // would follow an unterminated name
  EXPECT_EQ(EntryNameText(header), std::string(sizeof header.FileName, 'x'));
}

}  // namespace
}  // namespace pelmora::archive
